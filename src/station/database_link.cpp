// The form's side of the factory's database: the service started once config.ini names it, its
// state in the window and the log, and the pool's numbers.
#include "MainForm.h"
#include "database_texts.h"
#include "station_log.h"

void TRomForm::ConfigureDatabase() {
    const database::StationDatabaseConfig& config = settings_.database;
    if (!database_ && !config.database && !config.pool) {
        return;  // never named: no worker, nothing shown
    }
    if (!database_) {
        // Called on the worker's thread: only asks the window to call DatabaseChanged.
        database_ = std::make_unique<database::StationDatabase>(
            title_, [&view = view_] { view.PostDatabaseChange(); });
    }
    database_->Configure(config);
    DatabaseChanged();
}

void TRomForm::DatabaseChanged() {
    if (!database_) {
        return;
    }
    view_.SetDatabaseText(station::StatusText(database_->Status()));
    for (const std::string& line : database_->TakeLogLines()) {
        LogInfoText(line);
    }
}

database::SerialBlockAnswer TRomForm::SerialRange(std::chrono::milliseconds wait) {
    const ChipSettings::Serial& serial = *settings_.chip.serial;
    if (serial.pool.empty()) {
        return database::SerialBlockAnswer::Range(serial.range);
    }
    // There: the pool's settings started it. The window repaints while it waits.
    return database_->SerialRange(wait, [this] { view_.RepaintKeepingInput(); });
}
