#include "app/About.h"

#include "resources/Layouts.h"

namespace kestrova {

TKSTV_ABOUT* KSTV_ABOUT = nullptr;

TKSTV_ABOUT::TKSTV_ABOUT() : TForm(layouts::kAbout) { CreateForm(); }

}  // namespace kestrova
