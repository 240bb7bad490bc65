#pragma once

#include <QtCore/qglobal.h>

#if defined(DWFILEMANUI_LIBRARY)
#define DWFILEMANUI_EXPORT Q_DECL_EXPORT
#else
#define DWFILEMANUI_EXPORT Q_DECL_IMPORT
#endif
