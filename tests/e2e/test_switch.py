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


# The second cycle opens with a long press only when the user asks for it.
LONG_PRESS = "Prémer llarg obre el segon cicle"

NUMBERS = ["u", "dos", "tres", "quatre", "cinc", "sis", "set", "vuit"]
# A sentence long enough that the captions keep interrupting it, then links.
LINKS = page("Enllacos", "<p>Aquesta pàgina té una primera frase prou llarga perquè l'escaneig parlat "
             "l'interrompi cada vegada que diu un botó.</p><ul>"
             + "".join(f"<li><a href='p{i}.htm'>Enlla&ccedil; {n}</a></li>" for i, n in enumerate(NUMBERS, 1))
             + "</ul>")
TARGETS = {f"p{i}.htm": page(f"Desti {n}", f"<p>Pagina {n}.</p>") for i, n in enumerate(NUMBERS, 1)}
CAPTIONS = ["anterior", "següent", "parar", "refrescar", "re pag", "av pag", "tab", "al link", "no parlar"]
# The second cycle's places stand where the nine buttons were: its first,
# "Elements de la pàgina", and after "Escriure", "Preferits" and "Afegir als
# preferits", "Llegir links".
ELEMENTS_PLACE = 0
FIRST_PLACE = 4
# A page of 120 links with a form a third of the way down, its button
# sending it; each link is its own line.
BUTTON_AFTER = 40
FORM = page("Formulari", "".join(
    f"<p><a href='l{i}.htm'>Enlla&ccedil; {i}</a></p>" for i in range(1, BUTTON_AFTER + 1))
    + "<form action='enviat.htm'><button>Envia</button></form>"
    + "".join(f"<p><a href='l{i}.htm'>Enlla&ccedil; {i}</a></p>" for i in range(BUTTON_AFTER + 1, 121)))
SENT = page("Enviat", "<p>Formulari enviat.</p>")


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

    def test_the_fifth_link_followed_with_one_press_while_the_links_are_read(self):
        """A switch user who listens: every button said as the scan reaches
        it, the links read, and one press on the one wanted."""
        run = self.started({"index.htm": LINKS, **TARGETS},
                           settings={"Escaneig": "sí", "Escaneig parlat": "sí", LONG_PRESS: "sí"})
        left, _, _, _ = run.geometry()
        arrivals = []  # (ms since the epoch, button index) as the pointer comes to each

        def watch(seconds, until=lambda: False):
            end = time.monotonic() + seconds
            while time.monotonic() < end and not until():
                index = self.index_under_pointer(run, left)
                if not arrivals or arrivals[-1][1] != index:
                    arrivals.append((time.time() * 1000, index))
                time.sleep(0.03)

        def heard(index, caption):
            """The caption was said, whole, as the pointer came to its button."""
            return any(u["text"] == caption and not u["stopped"] and abs(u["start"] - at) < 400
                       for at, i in arrivals if i == index for u in run.utterances())

        # A cycle and more: every button heard as the scan reaches it.
        watch(40, lambda: all(heard(i, c) for i, c in enumerate(CAPTIONS)))
        for index, caption in enumerate(CAPTIONS):
            self.assertTrue(heard(index, caption), (caption, arrivals, run.texts()))
        # The sentence gives way to a caption and is read again after it.
        said = [(u["text"], u["stopped"]) for u in run.utterances()]
        self.assertTrue(any("primera frase" in a[0] and a[1] and b[0] in CAPTIONS and "primera frase" in c[0]
                            for a, b, c in zip(said, said[1:], said[2:])), said)

        # A long press: the second cycle, its first place reading the links.
        start = len(run.said())
        run.display.xdotool("mousedown", 1)
        time.sleep(2.0)
        run.display.xdotool("mouseup", 1)
        self.assertSays(run, "més ordres", start, 5)
        time.sleep(1.0)  # the scan comes to the places a step after the long press
        self.press_on(run, left, FIRST_PLACE, 15)
        self.assertSays(run, "enllaç u", start, 10)
        first = next(u["start"] for u in run.utterances()[start:] if u["text"] == "enllaç u")

        # The fifth link heard: one press follows it.
        self.assertSays(run, "enllaç cinc", start, 30)
        self.assertEqual(self.index_under_pointer(run, left), AL_LINK, "the scan waits on Al link")
        run.display.xdotool("click", 1)
        self.assertTrue(wait_for(lambda: run.title() == "Sonavia - Desti cinc", 10), run.title())
        followed = time.time() * 1000
        heard_links = [u["text"] for u in run.utterances()[start:] if u["text"].startswith("enllaç")]
        self.assertEqual(heard_links, [f"enllaç {n}" for n in NUMBERS[:5]])
        seconds = (followed - first) / 1000
        print(f"\nfirst link read to the fifth followed: {seconds:.1f} s", flush=True)
        self.assertLess(seconds, 25)

    def test_a_button_among_120_links_pressed_with_the_page_elements(self):
        """A long press, "Elements de la pàgina", the button's group, the button."""
        run = self.started({"index.htm": FORM, "enviat.htm": SENT},
                           settings={"Escaneig": "sí", "Velocitat de lectura": "254", LONG_PRESS: "sí"})
        self.assertSays(run, "formulari")
        left, _, _, _ = run.geometry()

        def heard(text, start):
            return text.lower() in [u["text"] for u in run.utterances()[start:]]

        began, start = time.monotonic(), len(run.utterances())
        run.display.xdotool("mousedown", 1)
        time.sleep(1.7)
        run.display.xdotool("mouseup", 1)
        time.sleep(1.4)  # the scan comes to the places a step after the long press
        self.press_on(run, left, ELEMENTS_PLACE, 10)
        # Each group is said by the names of its ends, a step (1.5 s) each; a
        # listener presses as the button's group begins: a step after the one
        # before it began. The button comes first in its group, said as it
        # begins: the next press.
        said = "enllaç 33, enllaç 40"
        self.assertTrue(wait_for(lambda: heard(said, start), 40, 0.02), run.texts(start))
        began_saying = next(u["start"] for u in run.utterances()[start:] if u["text"] == said)
        time.sleep(max(0.0, (began_saying + 1700 - time.time() * 1000) / 1000))
        run.display.xdotool("click", 1)
        time.sleep(0.3)
        run.display.xdotool("click", 1)
        self.assertTrue(wait_for(lambda: heard("botó, envia", start), 10, 0.02), run.texts(start))
        self.assertTrue(wait_for(lambda: run.title() == "Sonavia - Enviat", 10), run.title())
        seconds = time.monotonic() - began
        print(f"\nbutton after {BUTTON_AFTER} of 120 links: 4 presses, {seconds:.1f} s", flush=True)
        self.assertLess(seconds, 20)

    def test_scanning_stopped_and_started_again_with_the_switch_alone(self):
        """A long press, "Aturar escaneig", and a long press anywhere to get it back."""
        run = self.started({"index.htm": START},
                           settings={**SCANNING, "Escaneig": "sí", LONG_PRESS: "sí"})
        self.assertSays(run, "inici")
        left, _, _, _ = run.geometry()
        title = run.title()
        run.display.xdotool("mousedown", 1)
        time.sleep(1.3)
        run.display.xdotool("mouseup", 1)
        # The last place of the second cycle.
        start = len(run.said())
        self.press_on(run, left, ELEMENTS_PLACE + 13, 15)
        self.assertSays(run, "escaneig aturat. premeu llarg per tornar-lo a engegar.", start, 10)
        still = run.display.pointer()
        time.sleep(2.0)
        self.assertEqual(run.display.pointer(), still, "scanning stopped")

        # Held where the pointer stands (the logo is back there), without
        # moving: scanning again, and nothing clicked.
        run.display.xdotool("mousedown", 1)
        time.sleep(1.5)
        run.display.xdotool("mouseup", 1)
        seen = set()
        wait_for(lambda: seen.add(self.index_under_pointer(run, left)) or len(seen - {None}) >= 3, 10, 0.05)
        self.assertGreaterEqual(len(seen - {None}), 3, "the pointer walks the toolbar again")
        self.assertEqual(run.title(), title, "the press opened nothing")

if __name__ == "__main__":
    unittest.main()
