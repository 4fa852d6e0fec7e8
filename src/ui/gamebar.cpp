#include "gamebar.h"

#include "ui_gamebar.h"

GameBar::GameBar(QWidget *parent) : QWidget(parent), ui(new Ui::GameBar)
{
    ui->setupUi(this);
}

GameBar::~GameBar()
{
    delete ui;
}

QPushButton *GameBar::gameButton() const
{
    return ui->gameBtn;
}

QPushButton *GameBar::editorButton() const
{
    return ui->editorBtn;
}

QCheckBox *GameBar::allowFilesBox() const
{
    return ui->allowFilesCbx;
}

QCheckBox *GameBar::expansionBox() const
{
    return ui->gameVersionCbx;
}
