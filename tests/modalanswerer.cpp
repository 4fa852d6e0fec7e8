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
    QCoreApplication::instance()->installEventFilter(this);
}

void ModalAnswerer::act(const char *className, std::function<void(QWidget *)> action)
{
    pending.push(Answer{className, std::move(action)});
    lookSoon(); // it may be on screen already
}

bool ModalAnswerer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->isWindow())
        lookSoon();
    return QObject::eventFilter(watched, event);
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

void ModalAnswerer::lookSoon()
{
    // Once the widget being shown has become the modal one, inside its own event loop.
    if (!lookPending && !pending.empty()) {
        lookPending = true;
        QMetaObject::invokeMethod(this, &ModalAnswerer::look, Qt::QueuedConnection);
    }
}

void ModalAnswerer::look()
{
    lookPending = false;
    QWidget *modal = QApplication::activeModalWidget();
    if (pending.empty() || !modal || !modal->isVisible() ||
        !modal->inherits(pending.front().className))
        return; // the next window shown is looked at again
    const Answer answer = pending.front();
    pending.pop();
    answer.action(modal);
    // Answering may have uncovered a modal widget that was shown before.
    lookSoon();
}
