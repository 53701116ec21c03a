#pragma once
// The real window driven as a user drives it, for the tests through the window: the folder
// chosen with 手动读取, every question answered 确定 and every message kept, the rows read by name.

#include <QAbstractButton>
#include <QPushButton>
#include <QTest>

#include <string>
#include <vector>

#include "app/application.h"
#include "tests/support/temp_folder.h"
#include "ui/list_model.h"
#include "ui/preview_controller.h"

namespace velmora::testing {

struct WindowDriver {
    explicit WindowDriver(const TempFolder& f) {
        app.window().setResponder([this](const Text& text, MessageStyle, const Text&) {
            boxes.push_back(text.toUtf8());
            return answerOk;
        });
        app.window().setFolderPicker([&f] { return Text::fromUtf8(f.path()); });
        main.show();
        main.component<QPushButton>("按钮1")->click();
    }
    RowModel& rows() { return main.rows(); }
    /// The model row loaded as name, or -1.
    int row(const char* name) {
        for (int r = 0; r < rows().rowCount(); ++r)
            if (rows().row(r).toUtf8() == name) return r;
        return -1;
    }
    /// The second column of the row loaded as name.
    QString second(const char* name) { return rows().data(rows().index(row(name), 1), Qt::DisplayRole).toString(); }
    /// The rows' names as shown, in the shown order.
    std::vector<std::string> shownNames() {
        std::vector<std::string> names;
        for (int r = 0; r < app.window().list().rowCount(); ++r)
            names.push_back(app.window().list().rowText(r).toUtf8());
        return names;
    }
    QString status() { return main.statusLine().text(); }
    /// True once the preview is complete and the folder watched again.
    bool settle() {
        return QTest::qWaitFor([this] { return !app.preview().pending() && app.preview().watching(); }, 20000);
    }

    Application app{*qApp};
    MainWindow& main = app.mainWindow();
    std::vector<std::string> boxes;
};

}  // namespace velmora::testing
