#include "modalanswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>

ModalAnswerer::ModalAnswerer()
{
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, this, &ModalAnswerer::tick);
}

void ModalAnswerer::act(const char *className, std::function<void(QWidget *)> action)
{
    pending.push(Answer{className, std::move(action)});
    timer.start();
}

void ModalAnswerer::pressInMessageBox(const QString &buttonText)
{
    act("QMessageBox", [this, buttonText](QWidget *widget) {
        auto *box = static_cast<QMessageBox *>(widget);
        seenTitles << box->windowTitle();
        seenTexts << box->text();
        for (QAbstractButton *button : box->buttons()) {
            if (button->text().remove('&') == QString(buttonText).remove('&')) {
                button->click();
                return;
            }
        }
        box->reject(); // no such button: the test's check on seenTexts will tell
    });
}

void ModalAnswerer::pressEnterInMessageBox()
{
    act("QMessageBox", [this](QWidget *widget) {
        auto *box = static_cast<QMessageBox *>(widget);
        seenTitles << box->windowTitle();
        seenTexts << box->text();
        seenDefaults << (box->defaultButton() ? box->defaultButton()->text().remove('&')
                                              : QString());
        QTest::keyClick(box, Qt::Key_Return);
    });
}

void ModalAnswerer::chooseFolder(const QString &folder)
{
    act("QFileDialog", [this, folder](QWidget *widget) {
        auto *dialog = static_cast<QFileDialog *>(widget);
        seenTitles << dialog->windowTitle();
        seenTexts << dialog->directory().absolutePath();
        if (folder.isEmpty()) {
            dialog->reject();
            return;
        }
        // A folder chooser with nothing typed in returns the folder it shows.
        dialog->setDirectory(folder);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

void ModalAnswerer::chooseFile(const QString &file)
{
    act("QFileDialog", [this, file](QWidget *widget) {
        auto *dialog = static_cast<QFileDialog *>(widget);
        seenTitles << dialog->windowTitle();
        seenTexts << dialog->nameFilters().join(";;");
        // Typed, as a user may: the chooser lists its folder only a moment later.
        if (auto *typed = dialog->findChild<QLineEdit *>("fileNameEdit"))
            typed->setText(file);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}

void ModalAnswerer::tick()
{
    if (pending.empty()) {
        timer.stop();
        return;
    }
    QWidget *modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible() || !modal->inherits(pending.front().className))
        return;
    if (answering) // the last answer is still on its way
        return;
    answering = true;
    // Not from within this timer's own slot: an answer may open the next modal widget, and a
    // timer is never delivered again while its slot still runs. The answer stays pending until
    // it has been given, so one whose widget went away meanwhile waits for the next.
    QTimer::singleShot(0, this, [this, modal = QPointer<QWidget>(modal)] {
        answering = false;
        if (!modal || pending.empty())
            return;
        const Answer answer = pending.front();
        pending.pop();
        answer.action(modal);
    });
}
