"""Users who work with a screen reader or the keyboard alone: the real
program on a desktop whose accessibility bus says that assistive technology
is at work, seen through that bus (AT-SPI) as a screen reader sees it, and
driven with keys sent to the display."""
import json
import os
import subprocess
import time
import unittest

from harness import Display, Journey, page, wait_for

HERE = os.path.dirname(os.path.abspath(__file__))
# The system's Python, which has the accessibility bus's bindings.
SYSTEM_PYTHON = "/usr/bin/python3"

START = page("Inici", "<p>Benvinguts a la p&agrave;gina de prova.</p>"
             "<p><a href='dos.htm'>Un enlla&ccedil;</a></p>")
SECOND = page("Dos", "<p>La segona.</p>")
ZOOM_KEY = "Ampliació de la pàgina"


class AccessibleDesktop(Display):
    """A display with a session bus and the accessibility bus on it, which
    says that a screen reader is at work."""

    def __init__(self):
        super().__init__()
        started = subprocess.run(["dbus-daemon", "--session", "--fork", "--print-address=1",
                                  "--print-pid=1"], capture_output=True, text=True, timeout=30,
                                 env=self.env)
        address, pid = started.stdout.split()[:2]
        self.bus_pid = int(pid)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address
        self.launcher = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                         env=self.env, stdout=subprocess.DEVNULL,
                                         stderr=subprocess.DEVNULL)
        for flag in ("IsEnabled", "ScreenReaderEnabled"):
            wait_for(lambda flag=flag: self.gdbus("Set", "org.a11y.Status", flag, "<true>"), 10, 0.2)

    def gdbus(self, method, *args):
        result = subprocess.run(["gdbus", "call", "--session", "--dest", "org.a11y.Bus",
                                 "--object-path", "/org/a11y/bus", "--method",
                                 f"org.freedesktop.DBus.Properties.{method}", *args],
                                env=self.env, capture_output=True, text=True, timeout=10)
        return result.returncode == 0

    def close(self):
        self.launcher.terminate()
        try:
            self.launcher.wait(5)
        except subprocess.TimeoutExpired:
            self.launcher.kill()
        try:
            os.kill(self.bus_pid, 15)
        except ProcessLookupError:
            pass
        super().close()


class ScreenReaderUser(Journey):
    @classmethod
    def setUpClass(cls):
        cls.display = AccessibleDesktop()

    def view(self, run, what):
        result = subprocess.run([SYSTEM_PYTHON, os.path.join(HERE, "atspi_view.py"), what,
                                 str(run.process.pid)], env=run.display.env, capture_output=True,
                                text=True, timeout=60)
        lines = [json.loads(line) for line in result.stdout.splitlines() if line.strip()]
        return lines if what == "tree" else (lines[0] if lines else {})

    def tree_with(self, run, text, timeout=30):
        def look():
            nodes = self.view(run, "tree")
            return nodes if any(text in n["name"] for n in nodes) else None
        return wait_for(look, timeout, 1.0) or self.view(run, "tree")

    def test_a_screen_reader_meets_the_page_and_every_control_named(self):
        run = self.started({"index.htm": START, "dos.htm": SECOND})
        self.assertSays(run, "inici")
        nodes = self.tree_with(run, "Benvinguts")
        names = {n["name"] for n in nodes}
        self.assertTrue(any("Benvinguts a la pàgina de prova" in n["name"] for n in nodes),
                        "the page's own text is offered")
        self.assertTrue(any(n["role"] == "link" and n["name"] == "Un enllaç" for n in nodes))
        for name in ("Barra de menús", "Barra de botons", "Barra d'adreça", "Barra d'estat",
                     "Pàgina web dels autors", "Velocitat de lectura", "Pas d'escaneig",
                     "Paro de l'escaneig", "Anterior", "No parlar"):
            self.assertIn(name, names)
        for never in ("ToolBarBotons", "ToolBarAdressa", "Quelva", "Vista", "Offscreen", "Marc Seg."):
            self.assertNotIn(never, names)
        # The window's own objects, apart from the menus' closed lists, the
        # address box's list and the page's content: all shown, all named.
        windows = [n for n in nodes if n["roles"] == ["application"]]
        self.assertEqual([w["role"] for w in windows], ["frame"], "one window, no hidden ones")
        for node in nodes:
            if set(node["roles"]) & {"menu item", "combo box", "document web"}:
                continue
            with self.subTest(node=" / ".join(node["path"] + [node["name"]])):
                self.assertTrue(node["showing"], f"{node['role']} is offered but not shown")
                if node["role"] != "separator":
                    self.assertTrue(node["name"], f"a nameless {node['role']}")

    def test_ctrl_tab_walks_every_control_as_a_screen_reader_hears_it(self):
        run = self.started({"index.htm": START, "dos.htm": SECOND})
        self.assertSays(run, "inici")
        run.key("F3")  # the reading paused: only the keys move things
        nodes = self.tree_with(run, "Benvinguts")
        enabled = {n["name"] for n in nodes if n["enabled"] and n["role"] == "push button"}
        expected = ["Adreça", "Velocitat de lectura", "Pas d'escaneig", "Paro de l'escaneig"]
        expected += [b for b in ("Anterior", "Següent", "Parar", "Refrescar", "Re Pag", "Av pag", "Tab",
                                 "Al link", "Parlar") if b in enabled]
        expected += ["Pàgina web dels autors"]
        heard = []
        for _ in expected:
            run.key("ctrl+Tab")
            time.sleep(0.3)
            heard.append(self.view(run, "focused").get("name"))
        self.assertEqual(heard, expected)
        run.key("ctrl+Tab")
        time.sleep(0.3)
        back_on_page = self.view(run, "focused")
        self.assertNotIn(back_on_page.get("name"), expected, "the page has the keyboard again")
        run.key("ctrl+shift+Tab")
        time.sleep(0.3)
        self.assertEqual(self.view(run, "focused").get("name"), "Pàgina web dels autors")

    def test_alt_opens_the_menus_and_ctrl_plus_zooms_says_so_and_keeps_it(self):
        run = self.started({"index.htm": START, "dos.htm": SECOND})
        self.assertSays(run, "inici")
        run.key("F3")
        run.key("alt")
        opened = wait_for(lambda: [n for n in self.view(run, "tree")
                                   if n["role"] == "menu item" and n["name"] == "Obrir..." and n["showing"]],
                          10, 0.5)
        self.assertTrue(opened, "Alt alone opens the first menu")
        run.key("Escape")
        run.key("Escape")
        time.sleep(0.3)
        run.focus()
        for keys, level in (("ctrl+plus", "110"), ("ctrl+plus", "125"), ("ctrl+minus", "110"),
                            ("ctrl+0", "100"), ("ctrl+minus", "90")):
            start = len(run.said())
            run.key(keys)
            self.assertSays(run, f"ampliació {level}", start, 10)
        self.assertTrue(wait_for(lambda: run.settings().get(ZOOM_KEY) == "90", 10),
                        run.settings())

    def test_the_reading_mark_is_never_offered_and_headings_are(self):
        sentences = " ".join(f"Frase numero {n} de la prova." for n in range(1, 15))
        run = self.started({"index.htm": page("Titols", f"<h1>Primer titol</h1><p>{sentences}</p>"
                                                        "<h2>Segon titol</h2><p>Final.</p>")},
                           settings={"Velocitat de lectura": "120"})
        self.assertSays(run, "frase numero 1")

        def page_objects():
            return sorted((n["role"], n["name"]) for n in self.view(run, "tree")
                          if "document web" in n["roles"])
        reading = page_objects()
        run.key("F3")  # the reading paused: the mark goes
        time.sleep(1.0)
        # What a screen reader meets is the page's own, mark or no mark.
        self.assertEqual(reading, page_objects())
        self.assertIn(("heading", "Primer titol"), reading)
        self.assertIn(("heading", "Segon titol"), reading)

    def test_the_screen_reader_is_offered_the_speaking_once_and_then_the_program_is_silent(self):
        offer = "hi ha un lector de pantalla"
        run = self.started({"index.htm": START, "dos.htm": SECOND})
        self.assertSays(run, offer)
        self.assertSays(run, "inici")
        self.assertTrue(wait_for(lambda: run.settings().get("Lector de pantalla ofert") == "sí", 10),
                        run.settings())
        run.key("alt+l")  # "Opcions de lectura"
        run.key("d")      # "Deixar parlar el lector de pantalla"
        self.assertTrue(wait_for(
            lambda: run.settings().get("Deixar parlar el lector de pantalla") == "sí", 10),
            run.settings())
        run.end()

        run = self.started(settings={"Velocitat de lectura": "254", "Lector de pantalla ofert": "sí",
                                     "Deixar parlar el lector de pantalla": "sí"})
        # The page is read unheard: the keys work, and the program says
        # nothing.
        time.sleep(6)
        run.key("ctrl+plus")
        self.assertTrue(wait_for(lambda: run.settings().get(ZOOM_KEY) == "110", 10), run.settings())
        run.key("F8")
        time.sleep(1)
        self.assertEqual(run.texts(), [], "nothing said, not even the offer again")


if __name__ == "__main__":
    unittest.main()
