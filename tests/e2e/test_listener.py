"""A listener's journeys: hearing pages, and the reading keys."""
import os
import time
import unittest

from harness import Journey, page, wait_for

ARTICLE = page("Prova", """
<p>Primera frase del text. Segona frase del text.</p>
<p><img src="gat.png" alt="un gat negre" width="40" height="40"></p>
<p>Una frase molt llarga que dura prou per poder-la aturar a mitges mentre es llegeix en veu alta.</p>
<p><a id="u" href="una.htm">Enlla&ccedil; primer</a> i <a id="d" href="dues.htm">Enlla&ccedil; segon</a>.</p>
<p>Frase final.</p>""")
UNA = page("Pagina una", "<p>Text de la pagina una.</p>")
DUES = page("Pagina dues", "<p>Text de la pagina dues.</p>")
PAGES = {"index.htm": ARTICLE, "una.htm": UNA, "dues.htm": DUES}


class Listener(Journey):
    def test_the_start_page_is_announced_titled_and_read_in_order_with_two_voices(self):
        run = self.started(PAGES)
        self.assertSays(run, "frase final")
        texts = run.texts()
        expected = ["pàgina carregada", "títol", "prova", "primera frase", "segona frase", "imatge",
                    "un gat negre", "una frase molt llarga", "link", "enllaç primer", "link",
                    "enllaç segon", "frase final"]
        at = 0
        for text in texts:
            if at < len(expected) and expected[at] in text:
                at += 1
        self.assertEqual(at, len(expected), texts)
        voices = {text: speaker for _, speaker, _, text in run.said()}
        self.assertNotEqual(voices["link"], [s for _, s, _, t in run.said() if "primera frase" in t][0])
        self.assertTrue(wait_for(lambda: run.title() == "Sonavia - Prova", 5), run.title())

    def test_pause_repeats_the_cut_sentence_on_resume_and_restart_begins_again(self):
        run = self.started(PAGES, settings={"Velocitat de lectura": "120"})
        self.assertSays(run, "un gat negre")
        wait_for(lambda: False, 1.2)  # into the long sentence
        run.key("F3")
        self.assertTrue(wait_for(lambda: any(s and "molt llarga" in t for _, _, s, t in run.said()), 10),
                        run.texts())
        paused_at = len(run.said())
        time.sleep(2)
        self.assertEqual(len(run.said()), paused_at, "silent while paused")
        run.key("F3")
        self.assertSays(run, "molt llarga", paused_at, 15)
        restart_from = len(run.said())
        run.key("ctrl+F3")
        self.assertSays(run, "títol", restart_from, 15)

    def test_links_only_then_the_whole_page_again(self):
        run = self.started(PAGES)
        self.assertSays(run, "títol")
        run.key("F4")
        start = len(run.said())
        self.assertSays(run, "enllaç segon", start)
        heard = run.texts(start)
        self.assertFalse(any("frase final" in t or "primera frase" in t for t in heard), heard)
        run.key("F4")
        start = len(run.said())
        self.assertSays(run, "frase final", start)

    def test_the_other_language_reads_in_castilian_and_back(self):
        run = self.started(PAGES)
        self.assertSays(run, "títol")
        languages = {language for language, _, _, _ in run.said()}
        run.key("F7")
        start = len(run.said())
        self.assertSays(run, "primera frase", start)
        castilian = {language for language, _, _, t in run.said()[start:] if "primera frase" in t}
        self.assertTrue(castilian and not castilian & languages, (languages, castilian))
        run.key("F7")
        start = len(run.said())
        self.assertSays(run, "primera frase", start)
        back = {language for language, _, _, t in run.said()[start:] if "primera frase" in t}
        self.assertEqual(back, languages)

    def test_f2_follows_the_link_being_read(self):
        run = self.started(PAGES, settings={"Velocitat de lectura": "100"})
        self.assertSays(run, "enllaç segon")
        run.key("F2")
        self.assertSays(run, "pagina dues", 0, 30)
        self.assertTrue(wait_for(lambda: run.title() == "Sonavia - Pagina dues", 5), run.title())

    def test_tab_onto_a_link_moves_the_reading_there_and_enter_follows_it(self):
        run = self.started(PAGES)
        self.assertSays(run, "prova")
        wait_for(lambda: False, 0.5)
        start = len(run.said())
        run.key("Tab")
        self.assertSays(run, "enllaç primer", start, 15)
        run.key("Return")
        self.assertSays(run, "pagina una", start, 30)

    def test_back_returns_to_the_page_before_and_reads_it_again(self):
        run = self.started(PAGES)
        self.assertSays(run, "prova")
        time.sleep(0.5)
        start = len(run.said())
        run.key("Tab")
        self.assertSays(run, "enllaç primer", start, 15)
        run.key("Return")
        self.assertSays(run, "pagina una", start, 30)
        start = len(run.said())
        run.key("F9")
        self.assertSays(run, "prova", start, 30)
        self.assertTrue(wait_for(lambda: run.title() == "Sonavia - Prova", 5), run.title())

    def test_a_failed_address_typed_in_the_box_is_spoken_and_its_window_closed(self):
        run = self.started(PAGES)
        self.assertSays(run, "prova")
        start = len(run.said())
        run.click_in_window(300, 98)  # into the address box, below the menu and the buttons
        time.sleep(0.3)
        run.key("ctrl+a")
        run.type("http://127.0.0.1:9/enlloc.htm")
        run.key("Return")
        self.assertSays(run, "no puc trobar aquest lloc", start, 30)

        def message_windows():
            return run.display.xdotool("search", "--onlyvisible", "--name", "^Navegador web$", check=False)
        self.assertTrue(wait_for(lambda: not message_windows(), 10), "the message window is closed")
        self.assertTrue(wait_for(lambda: run.title().startswith("Sonavia"), 5), run.title())

    def test_a_page_alert_is_read_and_answered(self):
        alert = page("Avis", "<p>Una pagina amb un avis.</p>",
                     "<script>window.onload = function () { setTimeout(function () {"
                     " alert('Compte amb el gos'); document.title = 'Respost'; }, 300); };</script>")
        run = self.started({"index.htm": alert})
        self.assertSays(run, "missatge de la pàgina", 0, 40)
        self.assertSays(run, "compte amb el gos", 0, 20)


if __name__ == "__main__":
    unittest.main()
