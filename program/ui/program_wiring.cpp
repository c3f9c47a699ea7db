#include "program/ui/program_wiring.h"

#include "program/stock_data/stock_loading.h"
#include "program/show/show_wiring.h"
#include "program/ui/about_window.h"
#include "program/ui/cfg_frm.h"
#include "program/ui/program_parts.h"
#include "program/ui/show_windows.h"
#include "program/ui/stock_frm.h"
#include "program/ui/window_ops_qt.h"

namespace yov {

void WireProgram() {
    UseQtWindowSystem();
    UseProgramParts();
    WireShow();
    WireStockWindows();
    WireSettingsDialog();
    WireAbout();
    WireShowWindows();
}

}  // namespace yov
