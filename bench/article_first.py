#!/usr/bin/env python3
"""How soon a listener reaches a page's article, the whole page read as it
was and the article first: for each saved page, the seconds of speech before
the first unit of the article and the share of the words read that are not
the article's. A page's article is what its element of class "truth" holds,
or, for a documentation page, its body without the navigation bars.

    bench/article_first.py [PAGE...]    # tests/qt/articles/*.html by default

Needs build/release/bin/page-snapshot and reading-list, and a display or
QT_QPA_PLATFORM=offscreen. Speech is timed at 3 words a second (the default
rate, 180 a minute) with the reading's half second between units; "of
article" is the share of the article's words that the reading holds.
"""
import glob, html.parser, json, os, re, subprocess, sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BIN = os.path.join(ROOT, "build", "release", "bin")


def fold(text):
    # The conversion reads a lone "i" as "hi": both sides take it back.
    words = re.sub(r"[^\w]+|_", " ", text.lower()).split()
    return "".join("i" if w == "hi" else w for w in words)


class Truth(html.parser.HTMLParser):
    """The text of the article: what the element of class "truth" holds, else the body less
    the elements whose class names a navigation bar."""

    SKIP = ("navheader", "navfooter")

    def __init__(self):
        super().__init__()
        self.depth, self.skip, self.marked, self.parts, self.any = 0, 0, 0, [], []

    def handle_starttag(self, tag, attrs):
        if tag in ("br", "img", "input", "meta", "link", "hr"):
            return
        cls = dict(attrs).get("class") or ""
        self.depth += 1
        if self.marked:
            self.marked += 1
        elif "truth" in cls.split():
            self.marked = 1
        if self.skip:
            self.skip += 1
        elif any(s in cls for s in self.SKIP) or tag in ("script", "style", "title"):
            self.skip = 1

    def handle_endtag(self, tag):
        if tag in ("br", "img", "input", "meta", "link", "hr"):
            return
        self.depth -= 1
        if self.marked:
            self.marked -= 1
        if self.skip:
            self.skip -= 1

    def handle_data(self, data):
        if self.marked:
            self.parts.append(data)
        if not self.skip:
            self.any.append(data)

    def text(self):
        return fold(" ".join(self.parts or self.any))


def units(page, article):
    env = dict(os.environ, QT_QPA_PLATFORM=os.environ.get("QT_QPA_PLATFORM", "offscreen"))
    args = [os.path.join(BIN, "page-snapshot")] + (["--article"] if article else []) + [page]
    body = subprocess.run(args, capture_output=True, env=env, timeout=120).stdout
    listed = subprocess.run([os.path.join(BIN, "reading-list"), "--title", "T", "-"],
                            input=body, capture_output=True, timeout=60).stdout
    return json.loads(listed)["units"][2:]


def measure(page, article, truth):
    seconds, first, words, outside = 0.0, None, 0, 0
    for unit in units(page, article):
        text = unit["text"].replace("\u2029", "")
        key = fold(text)
        # A picture's word, and the structure notes the reading says in
        # the program's words.
        if not key or text == "Imatge " or re.fullmatch(r"\(S\)\d+", text):
            continue
        n = len(text.split())
        inside = len(key) > 3 and key in truth
        if first is None and inside:
            first = seconds
        if first is None:
            seconds += n / 3.0 + 0.5
        words += n
        if not inside:
            outside += n
    return ((first if first is not None else seconds), (outside / words if words else 0.0),
            words - outside)


def main():
    pages = sys.argv[1:] or sorted(glob.glob(os.path.join(ROOT, "tests", "qt", "articles", "*.html")))
    print(f"{'page':20} {'s before':>9} {'s before':>9} {'outside':>8} {'outside':>8}"
          f" {'of article':>10} {'of article':>10}")
    print(f"{'':20} {'whole':>9} {'article':>9} {'whole':>8} {'article':>8}"
          f" {'whole':>10} {'article':>10}")
    for page in pages:
        parser = Truth()
        parser.feed(open(page, encoding="utf-8", errors="replace").read())
        truth = parser.text()
        total = len(" ".join(parser.parts or parser.any).split())
        before = measure(page, False, truth)
        after = measure(page, True, truth)
        print(f"{os.path.basename(page)[:20]:20} {before[0]:9.1f} {after[0]:9.1f} "
              f"{before[1]:8.0%} {after[1]:8.0%} {min(1, before[2] / total):10.0%}"
              f" {min(1, after[2] / total):10.0%}")


if __name__ == "__main__":
    main()
