// The yardsticks of startup_window: a bare Qt Widgets window that shows its title, and with
// "--text" one that also shows the kinds of text the program's window shows first (a date in a
// line edit in the desktop's font, a line in a 13-pixel sans serif, two lines in a 13-pixel
// fixed-pitch font), each a face of its own to load and shape. The title is the last argument, so
// the benchmark knows what to wait for.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTextEdit>
#include <QVBoxLayout>
#include <QWidget>

namespace {

QFont pixelFont(const QString &family, QFont::StyleHint hint)
{
    QFont font(family);
    font.setStyleHint(hint);
    font.setPixelSize(13);
    return font;
}

void addText(QWidget *window)
{
    auto *layout = new QVBoxLayout(window);
    layout->addWidget(new QLineEdit(QStringLiteral("6/15/2026")));
    auto *line = new QLabel(QStringLiteral("Monday, June 15, 2026 2:30:02 PM"));
    line->setFont(pixelFont(QStringLiteral("Arial"), QFont::SansSerif));
    layout->addWidget(line);
    auto *view = new QTextEdit;
    view->setFont(pixelFont(QStringLiteral("Courier New"), QFont::TypeWriter));
    view->setPlainText(QString::fromUtf8("An v12 Sol 24\u00b0 Gemini, Luna 5\u00b0 Cancer Dies Lun\u00e6\n"
                                         "Monday, June 15, 2026 e.v. 2:30 PM"));
    layout->addWidget(view);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    if (argc > 2 && qstrcmp(argv[1], "--text") == 0)
        addText(&window);
    window.setWindowTitle(argc > 1 ? QString::fromLocal8Bit(argv[argc - 1]) : QStringLiteral("bare window"));
    window.resize(400, 315);
    window.show();
    return app.exec();
}
