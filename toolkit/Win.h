// The one place that includes <windows.h> for the toolkit and everything above it.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
