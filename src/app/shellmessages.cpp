#include "shellmessages.h"

#include "thelemic/calculate.h"

#include <QGuiApplication>
#include <QMessageBox>

#include <cstdio>

namespace orlam {

bool isHeadless()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void showUserMessage(QWidget *parent, const QString &text)
{
    if (isHeadless()) {
        const QStringList lines =
            QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n'));
        for (const QString &line : lines)
            std::fprintf(stderr, "orlam: %s\n", line.toLocal8Bit().constData());
        std::fflush(stderr);
        return;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(ApplicationTitle), text, QMessageBox::Ok,
                    parent);
    box.exec();
}

bool askUser(QWidget *parent, const QString &text)
{
    if (isHeadless()) {
        showUserMessage(parent, text);
        return true;
    }
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(ApplicationTitle), text,
                    QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

} // namespace orlam
