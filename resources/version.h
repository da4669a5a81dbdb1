// One source for the version resource and the title's build date.
#pragma once
#define KESTROVA_VERSION_MAJOR 1
#define KESTROVA_VERSION_MINOR 0
#define KESTROVA_BUILD_DATE 80525
#define KESTROVA_VERSION_STRING "1.0.080525"
