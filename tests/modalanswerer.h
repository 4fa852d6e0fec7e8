#pragma once

// Answers the modal dialogs a test's clicks open (message boxes, folder choosers, the settings
// dialog), in order, as a user would: the one way the tests answer them. Each answer waits
// until a modal widget of its kind is on screen, looked for whenever a window is shown; what
// the answer saw is kept for the test to check.

#include <QObject>
#include <QStringList>

#include <functional>
#include <queue>

class QWidget;

class ModalAnswerer : public QObject
{
    Q_OBJECT

public:
    ModalAnswerer();

    // Presses the button with this text (or standard button text, e.g. "&Yes") in a message box.
    void pressInMessageBox(const QString &buttonText);
    // Presses Enter in a message box, as a hasty user does; the default button is kept in
    // seenDefaults ("" when there is none).
    void pressEnterInMessageBox();
    // Chooses `folder` in a folder chooser; an empty folder cancels it.
    void chooseFolder(const QString &folder);
    // Chooses `file` in a file chooser; the chooser's name filter is kept in seenTexts.
    void chooseFile(const QString &file);
    // Runs `action` on the next modal widget of class `className`.
    void act(const char *className, std::function<void(QWidget *)> action);

    bool done() const { return pending.empty(); }
    QStringList seenTitles;
    QStringList seenTexts;
    QStringList seenDefaults;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void lookSoon();
    void look();

    struct Answer {
        const char *className;
        std::function<void(QWidget *)> action;
    };
    std::queue<Answer> pending;
    bool lookPending = false;
};
