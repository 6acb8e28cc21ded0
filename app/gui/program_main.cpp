// The program's entry point: wxWidgets starts the application object.
#include "app/gui/quarno_cd_ripper_app.h"

wxIMPLEMENT_APP(CQuarnoCDRipperApp);
