"""What a listener hears of pages shaped like real documentation: a unit for
each block, nothing silent, no markup words, every warning heard whole, and
each page in its own language."""
import re
import unittest

from harness import QUICK, Journey, page, wait_for

MANUAL = page("Manual", """
<div class="navheader"><table><tr><th colspan="3">Cap&iacute;tol 2. Primers passos</th></tr>
<tr><td><a href="un.htm"><img src="prev.png" alt=""></a></td><th>&nbsp;</th>
<td><a href="tres.htm" aria-label="Seg&uuml;ent"><svg width="9" height="9"></svg></a></td></tr></table><hr></div>
<h1>Primers passos</h1>
<p>Un paragraf sense punt final</p>
<ul>
  <li>Primer element</li>
  <li>Segon element</li>
</ul>
<table><tr><td>Nom</td><td>Valor</td></tr></table>
<p>Carrer Major 1<br>25001 Lleida</p>
<pre>ls -l
cd /tmp</pre>
<p><code>Vec&lt;usize&gt;</code> torna =&gt; res &amp; prou</p>
<p>Beautiful&nbsp;is&nbsp;better</p>
<p><a href="quatre.htm">Cap. 4. El final</a></p>
<p>Fi del document.</p>""")

SILENT = re.compile(r"[^\W_]", re.UNICODE)


def heard_until(run, text, timeout=60):
    wait_for(lambda: any(text in t for t in run.texts()), timeout)
    return run.texts()


class Pages(Journey):
    def test_each_block_is_a_unit_and_nothing_silent_or_markup_is_heard(self):
        run = self.started({"index.htm": MANUAL})
        self.assertSays(run, "fi del document", 0, 90)
        texts = run.texts()
        expected = ["títol", "manual", "capítol 2", "primers passos", "link", "un.htm", "link",
                    "següent", "primers passos", "un paragraf sense punt final", "primer element",
                    "segon element", "nom", "valor", "carrer major 1", "25001 lleida", "ls -l",
                    "cd /tmp", "vec<usize> torna => res & prou", "beautiful is better", "link",
                    "cap. 4. el final", "fi del document."]
        at = 0
        for text in texts:
            if at < len(expected) and text.startswith(expected[at]):
                at += 1
        self.assertEqual(at, len(expected), texts)
        # No unit spans two blocks, none is silent, none names markup.
        for a, b in [("capítol 2", "primers passos"), ("primer element", "segon"), ("nom", "valor"),
                     ("major 1", "lleida"), ("ls -l", "cd /tmp")]:
            self.assertFalse(any(a in t and b in t for t in texts), (a, b, texts))
        for text in texts:
            self.assertTrue(SILENT.search(text), f"a silent unit in {texts}")
            for word in ("&lt", "&gt", "&amp", "&nbsp", "punt)", "(g)", "(l)"):
                self.assertNotIn(word, text, texts)

    def test_the_warning_of_a_page_too_long_is_heard_whole_before_its_title(self):
        links = "".join(f'<p><a href="p{n}.htm">Enllac {n}</a></p>' for n in range(600))
        run = self.started({"index.htm": page("Llarga", links)})
        self.assertSays(run, "llarga", 0, 60)
        said = run.said()
        warning = [i for i, row in enumerate(said) if "document massa llarg" in row[3]]
        title = [i for i, row in enumerate(said) if row[3] == "títol"]
        self.assertEqual(len(warning), 1, said[:6])
        self.assertFalse(said[warning[0]][2], "the warning is not cut")
        self.assertTrue(title and title[0] > warning[0], said[:6])

    def test_a_page_is_heard_in_the_language_it_is_written_in(self):
        pages = {
            "index.htm": page("Inici", '<p><a href="es.htm">Castella</a> '
                                       '<a href="en.htm">Angles</a></p>'),
            "es.htm": page("Pagina", "<p>Esta pagina se lee en castellano.</p>").replace(
                "<html>", "<html lang='es'>"),
            "guia.es.html": page("Guia", "<p>Esta guia no dice su lengua.</p>"),
            "en.htm": page("Page", "<p>This page is read in English.</p>").replace(
                "<html>", "<html lang='en'>"),
        }
        for address, text, language in [("es.htm", "esta pagina", 101),
                                         ("guia.es.html", "esta guia", 101),
                                         ("en.htm", "this page", "en")]:
            with self.subTest(address):
                run = self.started(pages, args=(address,))
                self.assertSays(run, text, 0, 60)
                heard = {row[3]: row[0] for row in run.said()}
                self.assertEqual([lang for t, lang in heard.items() if text in t], [language], heard)
                self.assertEqual(heard.get("títol"), 99, "the program's own words in Catalan")
                run.end()
        # With the option off, the user's language.
        run = self.started(pages, args=("es.htm",), settings=dict(QUICK, **{"Llengua de la pàgina": "no"}))
        self.assertSays(run, "esta pagina", 0, 60)
        self.assertEqual({row[0] for row in run.said() if "esta pagina" in row[3]}, {99})
        run.close_from_menu()
        self.assertEqual(run.wait_exit(), 0)
        self.assertEqual(run.settings().get("Llengua de la pàgina"), "no")

    def test_every_script_is_heard_in_its_own_letters_and_voice(self):
        pages = {
            "el.htm": page("Ελληνικά", "<p>Η ζωή είναι ωραία.</p><p>Τέλος κειμένου</p>").replace(
                "<html>", "<html lang='el'>"),
            "ru.htm": page("Русский", "<p>Жизнь прекрасна → 😀</p><p>Конец текста</p>").replace(
                "<html>", "<html lang='ru'>"),
            "pl.htm": page("Polski", "<p>Zażółć gęślą jaźń</p><p>Koniec tekstu</p>").replace(
                "<html>", "<html lang='pl'>"),
            "en.htm": page("English", "<p>How can I create it (g) or (punt)?</p><p>The end</p>").replace(
                "<html>", "<html lang='en'>"),
        }
        for address, title, heard, last, language in [
                ("el.htm", "ελληνικά", "η ζωή είναι ωραία.", "τέλος κειμένου", "el"),
                ("ru.htm", "русский", "жизнь прекрасна → 😀", "конец текста", "ru"),
                ("pl.htm", "polski", "zażółć gęślą jaźń", "koniec tekstu", "pl"),
                ("en.htm", "english", "how can i create it (g) or (punt)?", "the end", "en")]:
            with self.subTest(address):
                run = self.started(pages, args=(address,))
                self.assertSays(run, last, 0, 60)
                texts = run.texts()
                self.assertIn(title, texts)
                self.assertIn(heard, texts)
                self.assertFalse([t for t in texts if "?" in t and "(punt)" not in t], texts)
                self.assertEqual({row[0] for row in run.said() if row[3] in (heard, last)},
                                 {language})
                run.end()


if __name__ == "__main__":
    unittest.main()
