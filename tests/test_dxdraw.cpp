// SPDX-FileCopyrightText: 2026 The Zundelfeld developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "blit.h"
#include "dxdraw.h"
#include "dximagelist.h"
#include "qtanwendung.h"
#include "refresh.h"
#include "virtualkey.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <array>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using namespace std::chrono;
using Zeitpunkt = steady_clock::time_point;

TEST(RefreshInterval, FollowsThePlausibleRatesAndFallsBackTo60Hz) {
    EXPECT_EQ(RefreshInterval(60.0), nanoseconds(16666667));
    EXPECT_EQ(RefreshInterval(144.0), nanoseconds(6944444));
    EXPECT_EQ(RefreshInterval(50.0), milliseconds(20));
    for (double kaputt : {0.0, -60.0, 5.0, 5000.0, std::numeric_limits<double>::quiet_NaN(),
                          std::numeric_limits<double>::infinity()}) {
        EXPECT_EQ(RefreshInterval(kaputt), nanoseconds(16666667)) << kaputt;
    }
}

TEST(NextRefresh, StaysOnTheGridOfTheOrigin) {
    const Zeitpunkt o{seconds(100)};
    const nanoseconds i = milliseconds(10);
    EXPECT_EQ(NextRefresh(o, o, i), o + i);
    EXPECT_EQ(NextRefresh(o, o + i - nanoseconds(1), i), o + i);
    EXPECT_EQ(NextRefresh(o, o + i, i), o + 2 * i); // a refresh just passed: the next one
    EXPECT_EQ(NextRefresh(o, o + milliseconds(25), i), o + 3 * i);
    EXPECT_EQ(NextRefresh(o, o - milliseconds(5), i), o);
    EXPECT_EQ(NextRefresh(o, o + milliseconds(25), nanoseconds(0)), o + milliseconds(25));
}

TEST(WindowsVirtualKey, MapsTheKeysOfTheGame) {
    const Qt::KeyboardModifiers keine = Qt::NoModifier;
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_Escape, keine), 27);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_F1, keine), 112);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_F2, keine), 113);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_F12, keine), 123);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_Return, keine), 13);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_Enter, Qt::KeypadModifier), 13);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_A, keine), 65);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_Z, Qt::ShiftModifier), 90);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_0, keine), 48);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_9, keine), 57);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_7, Qt::KeypadModifier), 103);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_Left, keine), 37);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_Space, keine), 32);
    EXPECT_EQ(WindowsVirtualKey(Qt::Key_Adiaeresis, keine), 0);
}

// Fills the surface with four quadrants of different colours (top byte left 0).
void vierFarben(Surface& s, uint32_t a, uint32_t b, uint32_t c, uint32_t d) {
    for (int32_t y = 0; y < s.height(); ++y) {
        for (int32_t x = 0; x < s.width(); ++x) {
            const bool rechts = x >= s.width() / 2, unten = y >= s.height() / 2;
            s.setPixel(x, y, unten ? (rechts ? d : c) : (rechts ? b : a));
        }
    }
}

// What the window system holds of the widget's window right now.
QImage aufDemSchirm(QWidget& w) {
    return w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

uint32_t rgb(const QImage& bild, int x, int y) {
    return bild.pixel(x, y) & 0xFFFFFFu;
}

// The pixels where what the window system holds differs from the surface.
int abweichungen(const QImage& bild, const Surface& s) {
    int n = 0;
    for (int32_t y = 0; y < s.height(); ++y) {
        for (int32_t x = 0; x < s.width(); ++x) n += rgb(bild, x, y) != s.pixel(x, y);
    }
    return n;
}

// The regions of the paint events a widget receives, that is what it sends to the window.
class Anstriche : public QObject {
public:
    explicit Anstriche(QWidget& w) { w.installEventFilter(this); }
    std::vector<QRegion> bereiche;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) bereiche.push_back(static_cast<QPaintEvent*>(e)->region());
        return false;
    }
};

class DXDrawTest : public ::testing::Test {
protected:
    // Shows the widget at w x h and waits until it is on the screen.
    void zeigen(int w, int h) {
        draw.resize(w, h);
        draw.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&draw));
    }

    QApplication& anwendung = qtAnwendung(); // before any widget
    TDXDraw draw;
};

TEST_F(DXDrawTest, InitialisedOnFirstShowingWithABlackSurfaceOfItsSize) {
    draw.resize(152, 195);
    EXPECT_FALSE(draw.Initialized());
    EXPECT_EQ(draw.Surface(), nullptr);
    draw.ShowFrame(); // nothing to show yet, and nothing breaks

    zeigen(152, 195);
    EXPECT_TRUE(draw.Initialized());
    Surface* s = draw.Surface();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->width(), 152);
    EXPECT_EQ(s->height(), 195);
    EXPECT_EQ(s->pixel(0, 0), 0u);
    EXPECT_EQ(s->pixel(151, 194), 0u);

    draw.ReleaseSurfaces();
    EXPECT_FALSE(draw.Initialized());
    EXPECT_EQ(draw.Surface(), nullptr);
}

TEST_F(DXDrawTest, ANewSizeRemakesTheSurfaceBlackTheSameSizeKeepsIt) {
    zeigen(152, 195);
    Surface* s = draw.Surface();
    ASSERT_NE(s, nullptr);
    s->setPixel(10, 10, 0xFF0000u);

    draw.resize(152, 195);
    EXPECT_EQ(draw.Surface()->pixel(10, 10), 0xFF0000u);

    // Width, then height, as the level change sets them.
    draw.resize(664, draw.height());
    EXPECT_EQ(draw.Surface()->width(), 664);
    EXPECT_EQ(draw.Surface()->height(), 195);
    draw.Surface()->setPixel(10, 10, 0xFF0000u);
    draw.resize(664, 547);
    s = draw.Surface();
    EXPECT_EQ(s->width(), 664);
    EXPECT_EQ(s->height(), 547);
    EXPECT_EQ(s->pixel(10, 10), 0u);

    draw.resize(0, 0);
    EXPECT_EQ(draw.Surface()->width(), 1);
    EXPECT_EQ(draw.Surface()->height(), 1);
}

TEST_F(DXDrawTest, ASurfaceTooLargeIsRefusedWithItsMessage) {
    draw.resize(maxSurfaceSide + 1, 2);
    try {
        draw.InitSurfaces();
        ADD_FAILURE() << "no error";
    } catch (const EDXDrawError& e) {
        EXPECT_STREQ(e.what(), "Surface cannot be made");
    }
    EXPECT_FALSE(draw.Initialized());
    EXPECT_EQ(draw.Surface(), nullptr);

    // Grown too large while running: released and told, never a crash.
    TDXDraw zweite;
    std::vector<std::string> fehler;
    zweite.OnError = [&](QObject*, const std::string& text) { fehler.push_back(text); };
    zweite.resize(100, 100);
    zweite.InitSurfaces();
    zweite.resize(100, maxSurfaceSide + 1);
    EXPECT_EQ(zweite.Surface(), nullptr); // hidden: the size is followed on the next use
    EXPECT_FALSE(zweite.Initialized());
    ASSERT_EQ(fehler.size(), 1u);
    EXPECT_EQ(fehler[0], "Surface cannot be made");
    zweite.ShowFrame();
}

TEST_F(DXDrawTest, ShowFramePutsTheSurfaceOnTheScreenBeforeItReturns) {
    zeigen(40, 30);
    draw.SetWaitVBlank(false);
    vierFarben(*draw.Surface(), 0xFF0000u, 0x00FF00u, 0x0000FFu, 0xBFBFBFu);
    draw.ShowFrame();
    const QImage bild = aufDemSchirm(draw);
    ASSERT_GE(bild.width(), 40);
    ASSERT_GE(bild.height(), 30);
    EXPECT_EQ(rgb(bild, 0, 0), 0xFF0000u);
    EXPECT_EQ(rgb(bild, 39, 0), 0x00FF00u);
    EXPECT_EQ(rgb(bild, 0, 29), 0x0000FFu);
    EXPECT_EQ(rgb(bild, 39, 29), 0xBFBFBFu);
    EXPECT_EQ(rgb(bild, 19, 14), 0xFF0000u);
    EXPECT_EQ(rgb(bild, 20, 15), 0xBFBFBFu);

    // The next frame replaces it, again at once.
    vierFarben(*draw.Surface(), 0x808080u, 0x808080u, 0x808080u, 0xFFFFFFu);
    draw.ShowFrame();
    EXPECT_EQ(rgb(aufDemSchirm(draw), 39, 29), 0xFFFFFFu);
}

TEST_F(DXDrawTest, RepaintingShowsTheLastFrameWithoutWaiting) {
    zeigen(40, 30);
    draw.SetWaitVBlank(false);
    vierFarben(*draw.Surface(), 0x800000u, 0x008000u, 0x000080u, 0x808000u);
    draw.ShowFrame();
    // Drawn on but not shown: the window system's repaint brings back what the surface
    // holds, without the refresh wait (one long second here).
    draw.SetWaitVBlank(true);
    draw.SetRefreshInterval(seconds(1));
    draw.hide();
    draw.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&draw));
    QElapsedTimer dauer;
    dauer.start();
    draw.repaint();
    EXPECT_LT(dauer.elapsed(), 500);
    const QImage bild = aufDemSchirm(draw);
    EXPECT_EQ(rgb(bild, 0, 0), 0x800000u);
    EXPECT_EQ(rgb(bild, 39, 29), 0x808000u);
}

TEST_F(DXDrawTest, ShowFrameWaitsForEachRefresh) {
    zeigen(20, 20);
    draw.SetRefreshInterval(milliseconds(20));
    EXPECT_EQ(draw.CurrentRefreshInterval(), milliseconds(20));
    QElapsedTimer dauer;
    dauer.start();
    for (int i = 0; i < 5; ++i) draw.ShowFrame();
    EXPECT_GE(dauer.elapsed(), 95); // five refreshes of 20 ms, never fewer

    draw.SetRefreshInterval(nanoseconds(0)); // the screen's again
    EXPECT_EQ(draw.CurrentRefreshInterval(), RefreshInterval(draw.screen()->refreshRate()));
}

TEST_F(DXDrawTest, HighDpiScalingKeepsPixelsCrisp) {
    zeigen(8, 8);
    Surface* s = draw.Surface();
    for (int32_t y = 0; y < 8; ++y) {
        for (int32_t x = 0; x < 8; ++x) s->setPixel(x, y, ((x + y) % 2) ? 0xFFFFFFu : 0u);
    }
    QImage doppelt(16, 16, QImage::Format_RGB32);
    doppelt.setDevicePixelRatio(2.0);
    doppelt.fill(Qt::red);
    draw.render(&doppelt);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const uint32_t soll = ((x / 2 + y / 2) % 2) ? 0xFFFFFFu : 0u;
            ASSERT_EQ(rgb(doppelt, x, y), soll) << x << "," << y;
        }
    }
}

// A 64 x 48 frame as the frame tick composes it: black, then twelve 16 x 16 cells of the
// colours given, then the sprites drawn over them at the places given.
class DXDrawCellsTest : public DXDrawTest {
protected:
    void SetUp() override {
        for (uint32_t c : {0x800000u, 0x008000u, 0x000080u, 0x808000u, 0xFFFFFFu, 0x123456u}) {
            TPictureCollectionItem item;
            item.surface.resize(16, 16);
            FillSurface(&item.surface, c);
            bilder.push_back(item);
        }
        zeigen(64, 48);
        draw.SetWaitVBlank(false);
    }
    void bild(const std::vector<std::array<int32_t, 3>>& darueber = {}) {
        Surface* s = draw.Surface();
        FillSurface(s, 0);
        for (int32_t i = 0; i < 12; ++i)
            DrawSprite(bilder[zellen[i]], s, i % 4 * 16, i / 4 * 16, 0);
        for (const auto& [b, x, y] : darueber) DrawSprite(bilder[b], s, x, y, 0);
        draw.ShowFrame();
    }
    std::vector<TPictureCollectionItem> bilder;
    std::array<std::size_t, 12> zellen{0, 1, 2, 3, 1, 2, 3, 0, 2, 3, 0, 1};
};

TEST_F(DXDrawCellsTest, ShowFrameSendsOnlyWhatChangedAndNothingForAnUnchangedFrame) {
    bild();
    QCoreApplication::processEvents();
    Anstriche anstriche(draw);

    bild(); // composed anew, the same pixels
    EXPECT_TRUE(anstriche.bereiche.empty());

    zellen[5] = 4; // one cell
    bild();
    ASSERT_EQ(anstriche.bereiche.size(), 1u);
    EXPECT_EQ(anstriche.bereiche[0], QRegion(16, 16, 16, 16));

    zellen[0] = 5; // two cells far apart
    zellen[11] = 5;
    bild();
    ASSERT_EQ(anstriche.bereiche.size(), 2u);
    EXPECT_EQ(anstriche.bereiche[1], QRegion(0, 0, 16, 16) + QRegion(48, 32, 16, 16));

    // A sprite drawn over the cells, then no more: its place both times.
    bild({{4, 20, 8}});
    bild();
    ASSERT_EQ(anstriche.bereiche.size(), 4u);
    EXPECT_EQ(anstriche.bereiche[2], QRegion(20, 8, 16, 16));
    EXPECT_EQ(anstriche.bereiche[3], QRegion(20, 8, 16, 16));
    EXPECT_EQ(abweichungen(aufDemSchirm(draw), draw.BackSurface()), 0);
}

TEST_F(DXDrawCellsTest, AfterMinimisingOrHidingTheWindowShowsTheWholeLastFrame) {
    bild();
    // Frames shown while the window is away reach it when it comes back, whole.
    draw.showMinimized();
    zellen[5] = 4;
    bild();
    draw.showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&draw));
    EXPECT_EQ(abweichungen(aufDemSchirm(draw), draw.BackSurface()), 0);

    draw.hide();
    zellen[2] = 5;
    bild();
    draw.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&draw));
    QCoreApplication::processEvents();
    EXPECT_EQ(abweichungen(aufDemSchirm(draw), draw.BackSurface()), 0);

    // And the frames after it still send what changes.
    zellen[8] = 4;
    bild();
    EXPECT_EQ(abweichungen(aufDemSchirm(draw), draw.BackSurface()), 0);
    EXPECT_EQ(rgb(aufDemSchirm(draw), 0, 32), 0xFFFFFFu);
}

TEST_F(DXDrawTest, AChangedRectangleIsScaledWithThePictureOnHighDpi) {
    zeigen(8, 8);
    vierFarben(*draw.Surface(), 0xFFFFFFu, 0u, 0u, 0xFFFFFFu);
    QImage doppelt(16, 16, QImage::Format_RGB32);
    doppelt.setDevicePixelRatio(2.0);
    doppelt.fill(Qt::red);
    draw.render(&doppelt, QPoint(3, 2), QRegion(3, 2, 2, 3)); // in place
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            const bool drin = x >= 6 && x < 10 && y >= 4 && y < 10;
            const uint32_t soll = !drin ? 0xFF0000u : (x < 8) == (y < 8) ? 0xFFFFFFu : 0u;
            ASSERT_EQ(rgb(doppelt, x, y), soll) << x << "," << y;
        }
    }
}

// The handlers' calls, as text.
class DXDrawInputTest : public DXDrawTest {
protected:
    void SetUp() override {
        draw.OnMouseMove = [this](QObject* sender, int shift, int32_t x, int32_t y) {
            EXPECT_EQ(sender, &draw);
            aufrufe.push_back("move " + std::to_string(shift) + " " + std::to_string(x) + " " +
                              std::to_string(y));
        };
        draw.OnMouseDown = [this](QObject*, int button, int shift, int32_t x, int32_t y) {
            aufrufe.push_back("down " + std::to_string(button) + " " + std::to_string(shift) + " " +
                              std::to_string(x) + " " + std::to_string(y));
        };
        draw.OnMouseUp = [this](QObject*, int button, int shift, int32_t x, int32_t y) {
            aufrufe.push_back("up " + std::to_string(button) + " " + std::to_string(shift) + " " +
                              std::to_string(x) + " " + std::to_string(y));
        };
        draw.OnKeyDown = [this](QObject*, int key, int shift) {
            aufrufe.push_back("key " + std::to_string(key) + " " + std::to_string(shift));
        };
        zeigen(152, 195);
        draw.activateWindow();
        draw.setFocus();
    }
    std::vector<std::string> aufrufe;
};

TEST_F(DXDrawInputTest, ButtonsArriveNumberedWithTheirShiftState) {
    QTest::mousePress(&draw, Qt::LeftButton, Qt::NoModifier, QPoint(12, 55));
    QTest::mouseRelease(&draw, Qt::LeftButton, Qt::NoModifier, QPoint(12, 55));
    QTest::mousePress(&draw, Qt::RightButton, Qt::ShiftModifier, QPoint(27, 70));
    QTest::mouseRelease(&draw, Qt::RightButton, Qt::ShiftModifier, QPoint(27, 70));
    QTest::mousePress(&draw, Qt::MiddleButton, Qt::ControlModifier, QPoint(100, 60));
    QTest::mouseRelease(&draw, Qt::MiddleButton, Qt::ControlModifier, QPoint(100, 60));
    const std::vector<std::string> soll = {
        "down 0 8 12 55",   "up 0 0 12 55",  // left, ssLeft while held
        "down 1 17 27 70",  "up 1 1 27 70",  // right with ssShift
        "down 2 36 100 60", "up 2 4 100 60", // middle with ssCtrl
    };
    // Presses may bring a move to their place first; only the buttons are compared here.
    std::vector<std::string> knoepfe;
    for (const std::string& a : aufrufe) {
        if (a.rfind("move", 0) != 0) knoepfe.push_back(a);
    }
    EXPECT_EQ(knoepfe, soll);
}

TEST_F(DXDrawInputTest, MovesArriveWithoutAButtonHeld) {
    QTest::mouseMove(&draw, QPoint(30, 60));
    QTest::mouseMove(&draw, QPoint(31, 61));
    ASSERT_FALSE(aufrufe.empty());
    // Modifiers may linger from earlier input; no button is held.
    int shift = 0, x = 0, y = 0;
    ASSERT_EQ(std::sscanf(aufrufe.back().c_str(), "move %d %d %d", &shift, &x, &y), 3);
    EXPECT_EQ(shift & (ssLeft | ssRight | ssMiddle), 0);
    EXPECT_EQ(x, 31);
    EXPECT_EQ(y, 61);
}

TEST_F(DXDrawInputTest, TheSecondPressOfADoubleClickIsAPressToo) {
    // Widgets get a double-click event in place of the second press.
    QTest::mouseClick(&draw, Qt::LeftButton, Qt::NoModifier, QPoint(20, 60));
    QTest::mouseDClick(&draw, Qt::LeftButton, Qt::NoModifier, QPoint(20, 60));
    QTest::mouseRelease(&draw, Qt::LeftButton, Qt::NoModifier, QPoint(20, 60));
    std::vector<std::string> knoepfe;
    for (const std::string& a : aufrufe) {
        if (a.rfind("move", 0) != 0) knoepfe.push_back(a);
    }
    const std::vector<std::string> soll = {"down 0 8 20 60", "up 0 0 20 60", "down 0 72 20 60",
                                           "up 0 0 20 60"};
    EXPECT_EQ(knoepfe, soll);
}

TEST_F(DXDrawInputTest, KeysArriveAsVirtualKeyNumbers) {
    QTest::keyClick(&draw, Qt::Key_Escape);
    QTest::keyClick(&draw, Qt::Key_F1);
    QTest::keyClick(&draw, Qt::Key_F2);
    QTest::keyClick(&draw, Qt::Key_Return);
    QTest::keyClick(&draw, Qt::Key_A, Qt::ShiftModifier);
    QTest::keyClick(&draw, Qt::Key_5, Qt::AltModifier);
    QTest::keyClick(&draw, Qt::Key_Adiaeresis); // no number: not handed on
    // The modifier keys themselves arrive too, as they go down.
    const std::vector<std::string> soll = {"key 27 0", "key 112 0", "key 113 0", "key 13 0",
                                           "key 16 1", "key 65 1",  "key 18 2",  "key 53 2"};
    EXPECT_EQ(aufrufe, soll);
}

TEST(DXImageList, TakesItsItemsFromTheLoaderOnce) {
    qtAnwendung();
    TDXDraw draw;
    int geladen = 0;
    TDXImageList liste(&draw, [&](TPictureCollection& items) {
        ++geladen;
        for (int32_t i = 0; i < spriteAnzahl; ++i) {
            items[static_cast<std::size_t>(i)].Name = "bild" + std::to_string(i);
            items[static_cast<std::size_t>(i)].surface.resize(i + 1, 1);
        }
    });
    EXPECT_TRUE(liste.Initialized());
    EXPECT_EQ(liste.DXDraw(), &draw);
    liste.Initialize();
    EXPECT_EQ(geladen, 1);
    EXPECT_EQ(liste.Count(), 43);
    EXPECT_EQ(liste.Items(0).Name, "bild0");
    EXPECT_EQ(liste.Items(42).surface.width(), 43);
    EXPECT_EQ(&liste.Items(17), &liste.Items()[17]);
    EXPECT_THROW(liste.Items(43), std::out_of_range);
    EXPECT_THROW(liste.Items(-1), std::out_of_range);
}

TEST(DXImageList, CannotBeInitialisedWithoutADrawingSurface) {
    qtAnwendung();
    int geladen = 0;
    TDXImageList liste(nullptr, [&](TPictureCollection&) { ++geladen; });
    EXPECT_FALSE(liste.Initialized());
    try {
        liste.Initialize();
        ADD_FAILURE() << "no error";
    } catch (const EPictureCollectionError& e) {
        EXPECT_STREQ(e.what(), "TDXImageList cannot be initialized");
    }
    EXPECT_EQ(geladen, 0);
    EXPECT_TRUE(liste.Items(5).surface.empty()); // no sprite surfaces: DrawSprite skips them

    // A drawing surface given later initialises it; one that goes away is forgotten.
    auto* draw = new TDXDraw;
    liste.SetDXDraw(draw);
    EXPECT_TRUE(liste.Initialized());
    EXPECT_EQ(geladen, 1);
    delete draw;
    EXPECT_EQ(liste.DXDraw(), nullptr);
}

TEST(DXImageList, AFailingLoaderLeavesItUninitialised) {
    qtAnwendung();
    TDXDraw draw;
    EXPECT_THROW(
        TDXImageList(&draw,
                     [](TPictureCollection&) { throw std::runtime_error("DIB is invalid"); }),
        std::runtime_error);
}

} // namespace
