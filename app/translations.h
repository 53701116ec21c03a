#pragma once
// Qt's own texts (standard buttons, the folder picker, command-line help) in Simplified Chinese,
// whatever the locale: every other text of the program is Chinese too.

#include <QTranslator>

class QCoreApplication;

namespace velmora {

class QtChinese {
public:
    /// Installs qtbase's catalogue from Qt's translations folder; without it Qt's texts stay English.
    explicit QtChinese(QCoreApplication& app);
    ~QtChinese();
    QtChinese(const QtChinese&) = delete;
    QtChinese& operator=(const QtChinese&) = delete;
    bool installed() const { return installed_; }

private:
    QCoreApplication& app_;
    QTranslator translator_;
    bool installed_ = false;
};

}  // namespace velmora
