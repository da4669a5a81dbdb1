// One source for the title's build date and the version resource.
#pragma once
#define KESTROVA_BUILD_DATE_TEXT "080525"  // yymmdd
#define KESTROVA_VERSION_MAJOR 1
#define KESTROVA_VERSION_MINOR 0
// The numeric version's last two fields hold the date (each field has 16 bits): 2008, 0525.
#define KESTROVA_BUILD_YEAR 2008
#define KESTROVA_BUILD_MONTHDAY 525
#define KESTROVA_VERSION_STRING "1.0." KESTROVA_BUILD_DATE_TEXT
