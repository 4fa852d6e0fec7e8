#pragma once

#include <QWidget>

class QCheckBox;
class QPushButton;

namespace Ui
{
class GameBar;
}

// The top of the window: the buttons that launch the game and its editor, and the game's two
// options.
class GameBar : public QWidget
{
    Q_OBJECT

public:
    explicit GameBar(QWidget *parent = nullptr);
    ~GameBar() override;

    QPushButton *gameButton() const;
    QPushButton *editorButton() const;
    QCheckBox *allowFilesBox() const;
    QCheckBox *expansionBox() const;

private:
    Ui::GameBar *ui;
};
