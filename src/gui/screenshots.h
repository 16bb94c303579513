#pragma once
// Pictures of the program's windows for its documentation: builds and runs the study opened in
// the main window, then saves what the screen shows of the main window, the time-series charts
// and the result viewer; then runs the study's genetic simulations and saves the coalescent page.

#include <QString>

namespace orvantis {

class TFrictionForm;

// Saves main_window.png, time_series.png, result_viewer.png and coalescent_page.png into the
// directory (created if needed), showing the cell (row, col) on the time-series page. 0 on
// success, 1 when the study did not run or a picture could not be saved (said on standard error).
int takeScreenshots(TFrictionForm& form, const QString& directory, int row, int col);

}  // namespace orvantis
