#include "batchdialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace orlam {

namespace {

constexpr int NameFieldWidth = 320;
constexpr auto BatchFilters =
    QT_TRANSLATE_NOOP("orlam::BatchDialog", "Text files (*.txt *.csv);;All files (*)");

} // namespace

BatchDialog::BatchDialog(const QString &folder, QWidget *parent) : QDialog(parent), mFolder(folder)
{
    setObjectName(QStringLiteral("BatchDialog"));
    setWindowTitle(tr("Batch Conversion"));

    chooseInput = [this](const QString &start) {
        return QFileDialog::getOpenFileName(this, tr("File of Moments"), start, tr(BatchFilters));
    };
    chooseOutput = [this](const QString &start) {
        return QFileDialog::getSaveFileName(this, tr("File for the Dates"), start, tr(BatchFilters));
    };

    auto *explain = new QLabel(tr("Each line of the input names a moment and a place; the "
                                  "output gets the Thelemic date of each line."),
                               this);
    explain->setWordWrap(true);

    const auto field = [this](const char *name, const QString &caption, QGridLayout *grid, int row,
                              QLineEdit **edit) {
        *edit = new QLineEdit(this);
        (*edit)->setObjectName(QString::fromLatin1(name));
        (*edit)->setMinimumWidth(NameFieldWidth);
        auto *label = new QLabel(caption, this);
        label->setBuddy(*edit);
        auto *browse = new QPushButton(tr("Browse..."), this);
        browse->setObjectName(QString::fromLatin1(name) + QStringLiteral("Browse"));
        browse->setAutoDefault(false);
        grid->addWidget(label, row, 0);
        grid->addWidget(*edit, row, 1);
        grid->addWidget(browse, row, 2);
        connect(*edit, &QLineEdit::textChanged, this, &BatchDialog::updateConvert);
        return browse;
    };
    auto *grid = new QGridLayout;
    QPushButton *browseInput = field("InputFile", tr("&Input file:"), grid, 0, &mInput);
    QPushButton *browseOutput = field("OutputFile", tr("&Output file:"), grid, 1, &mOutput);
    connect(browseInput, &QPushButton::clicked, this, [this] {
        if (const QString chosen = chooseInput(startFor(mInput)); !chosen.isEmpty())
            mInput->setText(QDir::toNativeSeparators(chosen));
    });
    connect(browseOutput, &QPushButton::clicked, this, [this] {
        if (const QString chosen = chooseOutput(startFor(mOutput)); !chosen.isEmpty())
            mOutput->setText(QDir::toNativeSeparators(chosen));
    });

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    mConvert = buttons->button(QDialogButtonBox::Ok);
    mConvert->setText(tr("&Convert"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explain);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    updateConvert();
}

QString BatchDialog::inputName() const
{
    return mInput->text().trimmed();
}

QString BatchDialog::outputName() const
{
    return mOutput->text().trimmed();
}

QString BatchDialog::startFor(const QLineEdit *edit) const
{
    // The folder of the name already given, else the start folder.
    const QString typed = edit->text().trimmed();
    if (typed.isEmpty())
        return mFolder;
    return QDir::isAbsolutePath(typed) ? typed : QDir(mFolder).filePath(typed);
}

void BatchDialog::updateConvert()
{
    mConvert->setEnabled(!inputName().isEmpty() && !outputName().isEmpty());
}

} // namespace orlam
