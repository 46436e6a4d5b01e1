// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "about.h"
#include "hilfe.h"
#include "ligahost.h"
#include "qtanwendung.h"
#include "shellAusfuehren.h"
#include "spriteliste.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <sys/sysinfo.h>

// Takes the addresses the about box hands to the desktop instead of opening them.
class TUrlFaenger : public QObject {
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void oeffnen(const QUrl& url) { urls += url; }
};

namespace {

TEST(About, MemoryFigures) {
    const QLocale deutsch(QLocale::German, QLocale::Germany);
    EXPECT_EQ(TAboutBox::physMemText(512ull * 1024 * 1024, deutsch), QString("524.288 KB"));
    EXPECT_EQ(TAboutBox::physMemText(512ull * 1024 * 1024, QLocale(QLocale::English)),
              QString("524,288 KB"));
    EXPECT_EQ(TAboutBox::physMemText(16ull * 1024 * 1024 * 1024, deutsch),
              QString("16.777.216 KB"));
    EXPECT_EQ(TAboutBox::physMemText(1024 + 511, deutsch), QString("1 KB"));
    EXPECT_EQ(TAboutBox::physMemText(1024 + 512, deutsch), QString("2 KB"));
    EXPECT_EQ(TAboutBox::lastText(37), QString("37 %"));
    EXPECT_EQ(TAboutBox::lastText(100), QString("100 %"));
}

TEST(About, ShowsThisComputersFigures) {
    qtAnwendung();
    TAboutBox box;
    EXPECT_EQ(box.windowTitle(), QString("Info über Zundelfeld"));
    EXPECT_EQ(box.size(), QSize(340, 264));
    struct sysinfo info {};
    ASSERT_EQ(sysinfo(&info), 0);
    const uint64_t gesamt = uint64_t(info.totalram) * info.mem_unit;
    EXPECT_EQ(box.findChild<QLabel*>("PhysMem")->text(), TAboutBox::physMemText(gesamt));
    const QString last = box.findChild<QLabel*>("FreeRes")->text();
    const auto treffer = QRegularExpression("^(\\d{1,3}) %$").match(last);
    ASSERT_TRUE(treffer.hasMatch()) << last.toStdString();
    EXPECT_LE(treffer.captured(1).toInt(), 100);
    EXPECT_EQ(box.findChild<QLabel*>("PhysMem")->geometry().right() + 1, 321);
    EXPECT_TRUE(box.findChild<QLabel*>("PhysMem")->alignment() & Qt::AlignRight);
    EXPECT_EQ(box.findChild<QLabel*>("Label7")->text(), QString::fromStdString(ligaHost()));

    if (!programmSymbolDaten().empty()) {
        const QImage symbol = box.findChild<QLabel*>("ProgramIcon")->pixmap().toImage();
        EXPECT_EQ(symbol.size(), QSize(32, 32));
        EXPECT_EQ(qAlpha(symbol.pixel(0, 0)), 0); // the corners are see-through
        EXPECT_EQ(qAlpha(symbol.pixel(16, 16)), 255);
    }
}

TEST(About, LinksGoToTheDesktop) {
    qtAnwendung();
    TUrlFaenger faenger;
    QDesktopServices::setUrlHandler("mailto", &faenger, "oeffnen");
    QDesktopServices::setUrlHandler("http", &faenger, "oeffnen");
    TAboutBox box;
    box.show();
    QTest::mouseClick(box.findChild<QLabel*>("Label6"), Qt::LeftButton);
    QTest::mouseClick(box.findChild<QLabel*>("Label7"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("mailto");
    QDesktopServices::unsetUrlHandler("http");
    ASSERT_EQ(faenger.urls.size(), 2);
    EXPECT_EQ(faenger.urls[0], QUrl("mailto:autor@zundelfeld.example"));
    EXPECT_EQ(faenger.urls[1], QUrl("http://" + QString::fromStdString(ligaHost()) + "/"));
    EXPECT_EQ(box.findChild<QLabel*>("Label6")->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_TRUE(box.findChild<QLabel*>("Label7")->font().underline());
}

TEST(About, ShellAddressesAreCutAndTidied) {
    EXPECT_EQ(shellAdresse("mailto: a@b.example"), QString("mailto:a@b.example"));
    EXPECT_EQ(shellAdresse("http://x.example/"), QString("http://x.example/"));
    EXPECT_EQ(shellAdresse("http://" + QString(300, u'a')).size(), 255);
}

TEST(About, EnterAndEscapeClose) {
    qtAnwendung();
    for (Qt::Key taste : {Qt::Key_Return, Qt::Key_Escape}) {
        TAboutBox box;
        box.show();
        QTest::keyClick(&box, taste);
        EXPECT_FALSE(box.isVisible()) << taste;
    }
}

TEST(Hilfe, HoldsTheFourSections) {
    qtAnwendung();
    Thilfe hilfe;
    EXPECT_EQ(hilfe.windowTitle(), QString("Hilfe zu Zundelfeld"));
    EXPECT_EQ(hilfe.size(), QSize(291, 247));
    auto* memo = hilfe.findChild<QPlainTextEdit*>("Memo1");
    ASSERT_NE(memo, nullptr);
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->geometry(), QRect(0, 0, 291, 247));
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

    const QStringList zeilen = memo->toPlainText().split(u'\n');
    EXPECT_EQ(zeilen.size(), 42);
    const QStringList koepfe = {"Ziel des Spieles", "So spielen Sie Zundelfeld ", "Anmerkungen ",
                                "Strategien und Tipps "};
    EXPECT_EQ(zeilen.first(), koepfe.first());
    qsizetype vorher = -1;
    for (const QString& kopf : koepfe) {
        const qsizetype i = zeilen.indexOf(kopf);
        ASSERT_GE(i, 0) << kopf.toStdString();
        EXPECT_GT(i, vorher);
        if (i > 0) {
            EXPECT_TRUE(zeilen[i - 1].isEmpty()) << kopf.toStdString();
        }
        vorher = i;
    }
    EXPECT_TRUE(memo->toPlainText().contains("2-3-2"));
}

} // namespace

#include "test_about.moc"
