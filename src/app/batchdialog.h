#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;
class QPushButton;

namespace orlam {

// File > Batch..: the file of moments to convert and the file the dates go to, each typed or
// chosen with a Browse button. Nothing is preset: the work folder's "input.txt" is the
// engine's job file, never a user's batch.
class BatchDialog : public QDialog {
    Q_OBJECT
public:
    // `folder`: where the Browse buttons start and where names without a folder are taken from.
    explicit BatchDialog(const QString &folder, QWidget *parent = nullptr);

    // The names as typed or chosen.
    QString inputName() const;
    QString outputName() const;

    // The file choosers behind the Browse buttons (the desktop's file dialogs by default), each
    // given the name to start from; an empty result leaves the field as it was.
    std::function<QString(const QString &start)> chooseInput;
    std::function<QString(const QString &start)> chooseOutput;

    QLineEdit *inputEdit() const { return mInput; }
    QLineEdit *outputEdit() const { return mOutput; }
    QPushButton *convertButton() const { return mConvert; }

private:
    QString startFor(const QLineEdit *edit) const;
    void updateConvert();

    QString mFolder;
    QLineEdit *mInput = nullptr;
    QLineEdit *mOutput = nullptr;
    QPushButton *mConvert = nullptr;
};

} // namespace orlam
