// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "about.h"
#include "ui_about.h"

#include "dialograhmen.h"
#include "ligahost.h"
#include "schrift.h"
#include "shellAusfuehren.h"
#include "spriteliste.h"

#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <sys/sysinfo.h>

namespace {

void alsVerweis(QLabel* label) {
    QFont f = label->font();
    f.setUnderline(true);
    label->setFont(f);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::blue);
    label->setPalette(p);
    label->setCursor(Qt::PointingHandCursor);
}

QPixmap programmSymbol() {
    const auto daten = programmSymbolDaten();
    if (daten.empty()) return {};
    QImage bild;
    if (!bild.loadFromData(daten.data(), static_cast<int>(daten.size()), "BMP")) return {};
    bild = bild.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < bild.height(); ++y) {
        auto* zeile = reinterpret_cast<QRgb*>(bild.scanLine(y));
        for (int x = 0; x < bild.width(); ++x)
            if ((zeile[x] & 0xFFFFFFu) == programmSymbolMaske) zeile[x] = 0;
    }
    return QPixmap::fromImage(bild);
}

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TAboutBox>()) {
    ui->setupUi(this);
    dialogRahmen(this, 340, 264, true);
    for (QLabel* l : findChildren<QLabel*>()) l->setTextFormat(Qt::PlainText);
    ui->Label6->setText(QString::fromLatin1(autorAdresse));
    ui->Label7->setText(QString::fromStdString(ligaHost()));
    schriftAnpassen(this, 11, false);
    alsVerweis(ui->Label6);
    alsVerweis(ui->Label7);
    ui->Label6->installEventFilter(this);
    ui->Label7->installEventFilter(this);
    ui->ProgramIcon->setPixmap(programmSymbol());
    connect(ui->OKButton, &QPushButton::clicked, this, &TAboutBox::OKButtonClick);
    FormCreate();
}

TAboutBox::~TAboutBox() = default;

QString TAboutBox::physMemText(uint64_t bytes, const QLocale& locale) {
    const uint64_t kb = (bytes + 512) / 1024; // rounded half up, as the number pattern does
    return locale.toString(static_cast<qulonglong>(kb)) + QStringLiteral(" KB");
}

QString TAboutBox::lastText(int32_t prozent) {
    return QString::asprintf("%d %%", prozent);
}

void TAboutBox::FormCreate() {
    struct sysinfo info {};
    if (sysinfo(&info) != 0) return; // the figures stay "0"
    const uint64_t einheit = info.mem_unit ? info.mem_unit : 1;
    const uint64_t gesamt = static_cast<uint64_t>(info.totalram) * einheit;
    const uint64_t frei =
        (static_cast<uint64_t>(info.freeram) + static_cast<uint64_t>(info.bufferram)) * einheit;
    ui->PhysMem->setText(physMemText(gesamt));
    const uint64_t belegt = gesamt > frei ? gesamt - frei : 0;
    const int32_t last = gesamt ? static_cast<int32_t>((belegt * 100 + gesamt / 2) / gesamt) : 0;
    ui->FreeRes->setText(lastText(last));
}

void TAboutBox::Label6Click() {
    shellAusfuehren(parentWidget(), QStringLiteral("mailto: ") + QString::fromLatin1(autorAdresse),
                    QString(), QString(), 0);
}

void TAboutBox::Label7Click() {
    shellAusfuehren(parentWidget(), QStringLiteral("http://") + ui->Label7->text() + u'/',
                    QString(), QString(), 0);
}

void TAboutBox::OKButtonClick() {
    accept();
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        auto* label = static_cast<QWidget*>(watched);
        if (label->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
            if (watched == ui->Label6) Label6Click();
            if (watched == ui->Label7) Label7Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    move(169, 121);
}
