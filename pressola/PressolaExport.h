#pragma once

#include <QtGlobal>

#if defined(PRESSOLA_LIBRARY)
#define PRESSOLA_EXPORT Q_DECL_EXPORT
#else
#define PRESSOLA_EXPORT Q_DECL_IMPORT
#endif
