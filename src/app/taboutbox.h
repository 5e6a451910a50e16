#pragma once

#include <QDateTime>
#include <QDialog>

class QLabel;

namespace orlam {

class LocaleFacts;

// The about box: product name, icon, version and build time, authorship. A click anywhere on it
// closes it; it has no caption-bar buttons, so Escape and Enter close it too.
class TAboutBox : public QDialog {
    Q_OBJECT
public:
    TAboutBox(QWidget *owner, const LocaleFacts &locale);

    // "Version 3.41" CR LF "Compiled: " and the moment in the user's short date and long time.
    static QString versionText(const LocaleFacts &locale, const QDateTime &compiled);
    // The last modification of the running program's file, as the local clock read it.
    static QDateTime executableTime();

    void BitBtn1Click();

protected:
    void showEvent(QShowEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void FormShow();

    const LocaleFacts &mLocale;
    QLabel *mVersion = nullptr;
};

} // namespace orlam
