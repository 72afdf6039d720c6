#include "actions/key_text.h"

#include <gtest/gtest.h>

namespace orvex::actions {
namespace {

TEST(KeyStrokeText, PrefixThenNameOrCharacter) {
    // Every qualifier value; values above 7 have no prefix.
    const char* prefixes[] = {"", "SHIFT-", "CTRL-", "CTRL-SHIFT-", "TAB-", "SHIFT-TAB-", "CTRL-TAB-",
                              "CTRL-SHIFT-TAB-"};
    for (std::uint8_t q = 0; q < 8; ++q) EXPECT_EQ(KeyStrokeText(36, q, 0), std::string(prefixes[q]) + "HOME");
    EXPECT_EQ(KeyStrokeText(36, 8, 0), "HOME");
    EXPECT_EQ(KeyStrokeText(36, 255, 0), "HOME");

    // The ranges and their edges.
    EXPECT_EQ(KeyStrokeText(96, 0, 0), "NUMPAD 0");
    EXPECT_EQ(KeyStrokeText(105, 0, 0), "NUMPAD 9");
    EXPECT_EQ(KeyStrokeText(112, 0, 0), "F1");
    EXPECT_EQ(KeyStrokeText(127, 0, 0), "F16");
    EXPECT_EQ(KeyStrokeText(109, 0, 0), "NUMPAD -");
    EXPECT_EQ(KeyStrokeText(44, 1, 0), "SHIFT-PRINT SCR");
    EXPECT_EQ(KeyStrokeText(145, 0, 0), "SCROLL LOCK");
    // Just outside them: no name, so the character or "???".
    EXPECT_EQ(KeyStrokeText(108, 0, 0), "???");
    EXPECT_EQ(KeyStrokeText(128, 0, 0), "???");
    EXPECT_EQ(KeyStrokeText(95, 0, 0), "???");

    // A name wins over the character.
    EXPECT_EQ(KeyStrokeText(13, 0, 13), "ENTER");
    EXPECT_EQ(KeyStrokeText(32, 2, 32), "CTRL-SPACE");

    // Characters in upper case; codes that are no single character.
    EXPECT_EQ(KeyStrokeText(65, 3, 97), "CTRL-SHIFT-A");
    EXPECT_EQ(KeyStrokeText(186, 0, ';'), ";");
    EXPECT_EQ(KeyStrokeText(222, 0, 0xE9), "\xC9");   // é -> É
    EXPECT_EQ(KeyStrokeText(222, 0, 0xF7), "\xF7");   // the division sign stays
    EXPECT_EQ(KeyStrokeText(222, 0, 0xFF), "\x9F");   // ÿ -> Ÿ
    EXPECT_EQ(KeyStrokeText(173, 4, 0), "TAB-???");
    EXPECT_EQ(KeyStrokeText(173, 0, -3), "???");
    EXPECT_EQ(KeyStrokeText(173, 0, 256), "???");
}

TEST(KeyCapture, QualifiersPressedOneAfterTheOther) {
    KeyCapture capture;
    // Shift, then Ctrl, then A: each qualifier lights its indicator and it
    // stays lit after the release.
    EXPECT_EQ(capture.KeyDown(kKeyShift), KeyCapture::Reaction::Indicators);
    EXPECT_EQ(capture.KeyDown(kKeyShift, true), KeyCapture::Reaction::None);
    EXPECT_EQ(capture.KeyUp(kKeyShift), KeyCapture::Reaction::None);
    EXPECT_EQ(capture.KeyDown(kKeyCtrl), KeyCapture::Reaction::Indicators);
    EXPECT_EQ(capture.KeyUp(kKeyCtrl), KeyCapture::Reaction::None);
    EXPECT_TRUE(capture.ShiftShown());
    EXPECT_TRUE(capture.CtrlShown());
    EXPECT_FALSE(capture.TabShown());
    EXPECT_FALSE(capture.Done());
    EXPECT_EQ(capture.KeyDown('A'), KeyCapture::Reaction::None);
    capture.Character('a');
    EXPECT_EQ(capture.KeyUp('A'), KeyCapture::Reaction::Captured);
    EXPECT_TRUE(capture.Done());
    EXPECT_EQ(capture.Values(), (CapturedKeys{65, 3, 97}));

    // Nothing changes once captured.
    EXPECT_EQ(capture.KeyDown(kKeyTab), KeyCapture::Reaction::None);
    capture.Character('x');
    EXPECT_EQ(capture.KeyUp('X'), KeyCapture::Reaction::None);
    EXPECT_EQ(capture.Values(), (CapturedKeys{65, 3, 97}));

    // Opening again starts from nothing.
    capture.Reset();
    EXPECT_EQ(capture.Values(), CapturedKeys{});
    EXPECT_FALSE(capture.ShiftShown() || capture.CtrlShown() || capture.TabShown() || capture.Done());

    // Tab, Shift, Ctrl, then F1: all three qualifiers. Tab types a
    // character, which is not F1's: F1 has none.
    capture.KeyDown(kKeyTab);
    capture.Character('\t');
    capture.KeyUp(kKeyTab);
    capture.KeyDown(kKeyShift);
    capture.KeyUp(kKeyShift);
    capture.KeyDown(kKeyCtrl);
    capture.KeyUp(kKeyCtrl);
    capture.KeyDown(112);
    EXPECT_EQ(capture.KeyUp(112), KeyCapture::Reaction::Captured);
    EXPECT_EQ(capture.Values(), (CapturedKeys{112, 7, 0}));

    // A held key repeats its character; the release takes the last one.
    capture.Reset();
    capture.KeyDown('B');
    capture.Character('b');
    capture.KeyDown('B', true);
    capture.Character('b');
    capture.KeyUp('B');
    EXPECT_EQ(capture.Values(), (CapturedKeys{66, 0, 98}));
}

TEST(KeyCapture, AltAndAltGr) {
    KeyCapture capture;
    EXPECT_EQ(capture.KeyDown(kKeyAlt), KeyCapture::Reaction::AltNotSupported);
    EXPECT_EQ(capture.KeyDown(kKeyAlt, true), KeyCapture::Reaction::None); // held: said once
    EXPECT_EQ(capture.KeyUp(kKeyAlt), KeyCapture::Reaction::None);
    EXPECT_FALSE(capture.Done());

    // AltGr is Ctrl then Alt held together: that Ctrl is no chosen qualifier.
    EXPECT_EQ(capture.KeyDown(kKeyCtrl), KeyCapture::Reaction::Indicators);
    EXPECT_EQ(capture.KeyDown(kKeyAlt), KeyCapture::Reaction::AltNotSupported);
    EXPECT_FALSE(capture.CtrlShown());
    capture.KeyUp(kKeyAlt);
    capture.KeyUp(kKeyCtrl);

    // A Ctrl pressed and released before AltGr stays chosen.
    capture.KeyDown(kKeyCtrl);
    capture.KeyUp(kKeyCtrl);
    capture.KeyDown(kKeyCtrl);
    capture.KeyDown(kKeyAlt);
    EXPECT_TRUE(capture.CtrlShown());
    capture.KeyUp(kKeyAlt);
    capture.KeyUp(kKeyCtrl);
    capture.KeyDown('Z');
    capture.Character('z');
    capture.KeyUp('Z');
    EXPECT_EQ(capture.Values(), (CapturedKeys{90, 2, 122}));
}

TEST(KeyCapture, ReleasesOfKeysPressedElsewhere) {
    KeyCapture capture;
    // Enter pressed "Get Keys": its release reaches the reader.
    capture.AlreadyHeld(13);
    EXPECT_EQ(capture.KeyUp(13), KeyCapture::Reaction::None);
    EXPECT_FALSE(capture.Done());
    // A fresh press of the same key counts.
    capture.AlreadyHeld(13);
    capture.KeyDown(13);
    capture.Character('\r');
    EXPECT_EQ(capture.KeyUp(13), KeyCapture::Reaction::Captured);
    EXPECT_EQ(capture.Values(), (CapturedKeys{13, 0, 13}));

    // Print Screen comes as a release alone, and is captured.
    capture.Reset();
    EXPECT_EQ(capture.KeyUp(44), KeyCapture::Reaction::Captured);
    EXPECT_EQ(capture.Values(), (CapturedKeys{44, 0, 0}));
}

} // namespace
} // namespace orvex::actions
