"""Local pages of a chosen size for the program's speed and memory scripts."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "../tests/e2e"))

PICTURE = ("<svg xmlns='http://www.w3.org/2000/svg' width='60' height='40'>"
           "<rect width='60' height='40' fill='#fc0'/></svg>")


def article(title, size, links=(), frames=False):
    """About `size` bytes of HTML: sentences, pictures and links."""
    head = f"<!DOCTYPE html><html><head><meta charset='utf-8'><title>{title}</title></head><body>"
    parts = [head]
    for link in links:
        parts.append(f"<p><a href='{link}'>Cap a {link}</a></p>")
    if frames:
        parts.append("<iframe src='marc.htm' width='300' height='80'></iframe>")
    n = 0
    total = sum(map(len, parts))
    while total < size:
        n += 1
        block = (f"<p>Paragraf {n}. La primera frase diu alguna cosa. La segona frase en diu una altra, "
                 f"i la tercera acaba el paragraf numero {n}.</p>")
        if n % 25 == 0:
            target = links[0] if links else "#"
            block += f"<p><img src='dibuix.svg' alt='dibuix {n}'> <a href='{target}'>Enllac {n}</a></p>"
        parts.append(block)
        total += len(block)
    parts.append("</body></html>")
    return "".join(parts)


def write(folder, name, html):
    with open(os.path.join(folder, name), "w", encoding="utf-8") as out:
        out.write(html)


def common(folder):
    write(folder, "dibuix.svg", PICTURE)
    write(folder, "marc.htm", "<html><head><title>Marc</title></head><body><p>Un marc.</p></body></html>")


def process_tree(pid):
    """The process and all its descendants."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
            children.setdefault(int(fields[1]), []).append(int(entry))
        except (FileNotFoundError, ProcessLookupError, IndexError):
            continue
    tree, todo = [], [pid]
    while todo:
        p = todo.pop()
        tree.append(p)
        todo.extend(children.get(p, []))
    return tree


def memory_kb(pid, field):
    """`field` (Pss, Rss) of a process from smaps_rollup, in kB."""
    try:
        with open(f"/proc/{pid}/smaps_rollup") as rollup:
            for line in rollup:
                if line.startswith(field + ":"):
                    return int(line.split()[1])
    except (FileNotFoundError, ProcessLookupError):
        pass
    return 0


def tree_memory_kb(pid, field="Pss"):
    """Summed over the program and its web engine's processes; proportional
    set sizes count each shared page once."""
    return sum(memory_kb(p, field) for p in process_tree(pid))
