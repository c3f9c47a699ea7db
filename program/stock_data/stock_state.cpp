#include "program/stock_data/stock_state.h"

#include <QCoreApplication>

#include "program/core/texts/error_report.h"
#include "program/core/windows/msgbox.h"

namespace yov {

StockState& stockState() {
    static StockState state;
    return state;
}

void StockLoadEvents::pumpEvents() {
    if (QCoreApplication::instance() != nullptr) QCoreApplication::processEvents();
}

void ShowStockMessage(const std::u16string& text) {
    ReportError(PendingError{}, 0, text, report_flag::kMessageOnly | report_flag::kAlwaysLog | msgbox::kOk);
}

}  // namespace yov
