#include "hilfe.h"
#include "ui_hilfe.h"

#include "schrift.h"

Thilfe::Thilfe(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::Thilfe>()) {
    ui->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(291, 247);
    schriftAnpassen(this, 11, false);
}

Thilfe::~Thilfe() = default;

void Thilfe::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    move(192, 123);
}
