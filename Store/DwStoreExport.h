#pragma once

#include <QtCore/qglobal.h>

#if defined(DWSTORE_LIBRARY)
#define DWSTORE_EXPORT Q_DECL_EXPORT
#else
#define DWSTORE_EXPORT Q_DECL_IMPORT
#endif
