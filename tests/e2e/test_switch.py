"""A switch user's journey: the pointer walks the toolbar and the switch,
the left button, presses the button it is on."""
import time
import unittest

from harness import Journey, page, wait_for

PITCH = 62  # toolbar buttons stand this far apart
AV_PAG, TAB, AL_LINK = 5, 6, 7

# Long enough to be still reading when the pointer comes to "Tab": a link
# reached after the reading has ended moves its place, silently.
START = page("Inici", "<p>" + " ".join(f"Frase numero {n} del text." for n in range(1, 30)) + "</p>"
             "<p><a href='franges.htm'>Enlla&ccedil; a les franges</a></p>")
STRIPES = page("Franges", """
<div style="height:600px;background:#ff0000"></div>
<div style="height:6000px;background:#0000ff"></div>""")

# Quick steps keep the journey short; the pause stays longer than two steps.
SCANNING = {"Velocitat de lectura": "254", "Dècimes de segon que dura el pas d'escaneig": "8",
            "Dècimes de segon que dura el paro de l'escaneig": "30"}


class SwitchUser(Journey):
    def index_under_pointer(self, run, left):
        x, _ = run.display.pointer()
        return (x - left - 20) // PITCH if (x - left - 20) % PITCH == 0 else None

    def press_on(self, run, left, index, timeout=20):
        """Waits for the scanning pointer to come to the button, then presses."""
        self.assertTrue(wait_for(lambda: self.index_under_pointer(run, left) == index, timeout, 0.05),
                        f"the pointer never came to button {index}")
        run.display.xdotool("click", 1)
        return run.display.pointer()

    def assertHolds(self, run, pressed):
        time.sleep(2.0)  # after the press: more than two steps, less than the pause
        self.assertEqual(run.display.pointer(), pressed, "held for the pause")
        self.assertTrue(wait_for(lambda: run.display.pointer() != pressed, 4), "and then on")

    def test_scanning_tabs_follows_a_link_scrolls_holds_and_stops(self):
        run = self.started({"index.htm": START, "franges.htm": STRIPES}, settings=SCANNING)
        self.assertSays(run, "inici")
        left, top, width, height = run.geometry()

        run.key("ctrl+F2")
        seen = set()
        wait_for(lambda: seen.add(self.index_under_pointer(run, left)) or len(seen - {None}) >= 3, 10, 0.05)
        self.assertGreaterEqual(len(seen - {None}), 3, "the pointer walks the toolbar")

        # "Tab" takes the page's keyboard to its link, and the reading with
        # it; the pointer holds there. "Al link" follows the link.
        start = len(run.said())
        pressed = self.press_on(run, left, TAB)
        self.assertHolds(run, pressed)
        self.assertSays(run, "enllaç a les franges", start, 15)
        self.press_on(run, left, AL_LINK, 25)
        self.assertSays(run, "franges", start + 1, 30)
        self.assertTrue(wait_for(lambda: run.title() == "Sonavia - Franges", 10), run.title())

        # "Av pag" on the new page: it goes down, and the pointer holds.
        middle = (left + width // 2, top + height // 2)
        self.assertEqual(run.display.pixel(*middle), (255, 0, 0), "the top of the page")
        pressed = self.press_on(run, left, AV_PAG)
        self.assertTrue(wait_for(lambda: run.display.pixel(*middle) == (0, 0, 255), 5), "scrolled down")
        self.assertHolds(run, pressed)

        # Ctrl+F2 again: the pointer stays where it is.
        run.focus()
        run.key("ctrl+F2")
        time.sleep(0.5)
        still = run.display.pointer()
        time.sleep(2.0)
        self.assertEqual(run.display.pointer(), still, "scanning stopped")


if __name__ == "__main__":
    unittest.main()
