#pragma once

#include <QtCore/qglobal.h>

#if defined(DWSESSION_LIBRARY)
#define DWSESSION_EXPORT Q_DECL_EXPORT
#else
#define DWSESSION_EXPORT Q_DECL_IMPORT
#endif
