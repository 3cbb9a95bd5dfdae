"""Whole runs: settings kept between two runs, closes at awkward moments,
and the program started the ways a desktop starts it."""
import http.server
import os
import shutil
import signal
import subprocess
import tempfile
import threading
import time
import unittest

from harness import BUILD, PROGRAM, QUICK, Journey, page, wait_for

ARTICLE = page("Prova", "<p>Primera frase. Una frase molt llarga que dura prou per tancar el programa "
               "mentre es diu, i encara continua una estona mes per si de cas.</p>")


class SlowPage(http.server.BaseHTTPRequestHandler):
    """A page that takes half a minute to arrive."""

    def do_GET(self):
        self.send_response(200)
        self.send_header("Content-Type", "text/html")
        self.end_headers()
        try:
            self.wfile.write(b"<html><head><title>Lenta</title></head><body>")
            for n in range(300):
                self.wfile.write(f"<p>Tros {n}.</p>".encode() + b" " * 2048)
                self.wfile.flush()
                time.sleep(0.1)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def log_message(self, *args):
        pass


class Session(Journey):
    def test_settings_written_at_close_are_taken_back_by_the_next_run(self):
        config = tempfile.mkdtemp(prefix="sonavia-kept-")
        first = self.started({"index.htm": ARTICLE}, config=config)
        self.assertSays(first, "primera frase")
        catalan = first.said()[0][0]
        first.key("F7")
        start = len(first.said())
        self.assertSays(first, "primera frase", start)
        first.close_from_menu()
        self.assertEqual(first.wait_exit(), 0)
        kept = first.settings()
        self.assertEqual(kept.get("Llengua"), "Castellà", kept)
        self.assertEqual(kept.get("Velocitat de lectura"), "254", kept)

        second = self.started(config=config, settings=None)
        self.assertSays(second, "primera frase")
        languages = {language for language, _, _, text in second.said() if "primera frase" in text}
        self.assertNotIn(catalan, languages, "the second run speaks Castilian")

    def test_a_close_while_a_unit_is_spoken_cuts_it_and_still_writes_the_settings(self):
        run = self.started({"index.htm": ARTICLE}, settings={"Velocitat de lectura": "80"})
        self.assertSays(run, "primera frase")
        time.sleep(1.5)
        run.close_from_menu()
        self.assertEqual(run.wait_exit(), 0)
        last = run.said()[-1]
        self.assertTrue(last[2] and "molt llarga" in last[3], run.said())
        self.assertEqual(run.settings().get("Velocitat de lectura"), "80")

    def test_a_kill_a_logout_or_ctrl_c_ends_the_program_as_its_close_does(self):
        for name in ("SIGTERM", "SIGHUP", "SIGINT"):
            with self.subTest(name):
                run = self.started({"index.htm": ARTICLE}, settings={"Velocitat de lectura": "80"})
                self.assertSays(run, "primera frase")
                time.sleep(1.5)
                os.kill(run.process.pid, getattr(signal, name))
                self.assertEqual(run.wait_exit(), 0, "ended by its own close, not by the signal")
                last = run.said()[-1]
                self.assertTrue(last[2] and "molt llarga" in last[3], run.said())
                # Every key is written, those the file did not have included.
                kept = run.settings()
                self.assertEqual(kept.get("Velocitat de lectura"), "80", kept)
                self.assertEqual(kept.get("Escaneig"), "no", kept)

    def test_a_killed_saves_leftovers_go_at_start_and_a_second_start_brings_the_first_forward(self):
        config = tempfile.mkdtemp(prefix="sonavia-two-")
        folder = os.path.join(config, "sonavia")
        os.makedirs(folder)
        old = time.time() - 600
        leftovers = ["Quelva2001.ini.aB3xY9", "Quelva2001.ini.000000"]
        kept = ["Quelva2001.ini.bak", "Altre.ini.aB3xY9", "Quelva2001.ini.aB3xY"]
        for name in leftovers + kept:
            with open(os.path.join(folder, name), "w") as out:
                out.write("[Ombrix Sonavia]\n")
            os.utime(os.path.join(folder, name), (old, old))
        first = self.started({"index.htm": ARTICLE}, config=config, settings=QUICK)
        self.assertSays(first, "primera frase")
        self.assertEqual(sorted(n for n in os.listdir(folder) if n != "Quelva2001.ini"), sorted(kept))

        start = len(first.said())
        second = self.start(config=config, settings=None)
        self.assertEqual(second.wait_exit(20), 0)
        self.assertIn("another window already reads", second.stderr())
        self.assertSays(first, "sonavia ja llegeix en aquesta finestra.", start)
        # Once the first has gone, a start on the file reads again.
        first.close_from_menu()
        self.assertEqual(first.wait_exit(), 0)
        third = self.started(config=config, settings=None)
        self.assertSays(third, "primera frase")

    def test_the_mixer_shows_the_page_sound_apart_from_the_speech(self):
        server = tempfile.mkdtemp(prefix="sonavia-pulse-")
        self.addCleanup(shutil.rmtree, server, True)
        socket = os.path.join(server, "socket")
        env = dict(os.environ, HOME=server, PULSE_RUNTIME_PATH=os.path.join(server, "runtime"),
                   PULSE_STATE_PATH=os.path.join(server, "state"))
        pulse = subprocess.Popen(
            ["pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
             "--disallow-exit", "--load=module-null-sink sink_name=sonavia_test",
             f"--load=module-native-protocol-unix socket={socket} auth-anonymous=1"],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(pulse.wait)
        self.addCleanup(pulse.terminate)
        client = dict(env, PULSE_SERVER="unix:" + socket)
        self.assertTrue(wait_for(lambda: subprocess.run(["pactl", "info"], env=client,
                                                        capture_output=True).returncode == 0, 10))

        def streams():
            listing = subprocess.run(["pactl", "list", "sink-inputs"], env=client,
                                     capture_output=True, text=True).stdout
            return {line.split("=", 1)[1].strip().strip('"') for line in listing.splitlines()
                    if line.strip().startswith("application.name")}
        # A page whose sound the user's first key starts, a tone on and on.
        tone = page("So", "<p>Una frase molt llarga que es llegeix mentre la pagina sona, i que "
                    "continua una bona estona.</p><script>document.onkeydown = () => {"
                    "const c = new AudioContext(); const o = c.createOscillator(); "
                    "o.connect(c.destination); o.start(); };</script>")
        saved = self.display.env
        self.display.env = dict(saved, PULSE_SERVER="unix:" + socket)
        try:
            run = self.started({"index.htm": tone}, settings={"Velocitat de lectura": "80"})
        finally:
            self.display.env = saved
        self.assertSays(run, "una frase molt llarga")
        run.key("Down")
        self.assertTrue(wait_for(lambda: {"Sonavia", "Sonavia: pàgina"} <= streams(), 20), streams())

    def test_a_change_is_kept_even_when_the_program_never_closes(self):
        run = self.started({"index.htm": ARTICLE})
        self.assertSays(run, "primera frase")
        run.key("F3")
        time.sleep(3)
        os.kill(run.process.pid, signal.SIGKILL)
        run.wait_exit()
        self.assertEqual(run.settings().get("Parlar"), "no", run.settings())

        second = self.started(config=run.config, settings=None)
        self.assertSays(second, "la lectura està aturada. premeu f3 per activar-la.")
        time.sleep(3)
        self.assertFalse(any("primera frase" in t for t in second.texts()), second.texts())

    def test_a_close_while_a_page_loads_ends_the_program(self):
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), SlowPage)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        try:
            address = f"http://127.0.0.1:{server.server_address[1]}/lenta"
            run = self.started(args=[address])
            time.sleep(4)  # the page is still arriving
            self.assertFalse(any("pàgina carregada" in t for t in run.texts()), run.texts())
            run.close_from_menu()
            self.assertEqual(run.wait_exit(), 0)
            self.assertEqual(run.settings().get("Parlar"), "sí")
        finally:
            server.shutdown()
            server.server_close()

    def test_a_page_process_that_dies_leaves_the_program_to_open_the_next_page(self):
        run = self.started({"index.htm": ARTICLE, "seguent.htm": page("Seguent", "<p>Despres.</p>")})
        self.assertSays(run, "primera frase")
        renderers = run.page_processes()
        self.assertTrue(renderers, "the page has a process of its own")
        for pid in renderers:
            os.kill(pid, signal.SIGKILL)
        time.sleep(2)
        self.assertIsNone(run.process.poll(), "the program lives on")
        start = len(run.said())
        run.focus()
        run.key("F8")
        time.sleep(0.5)
        run.key("ctrl+a")
        run.type(os.path.join(self.folder, "seguent.htm"))
        run.key("Return")
        self.assertSays(run, "despres", start, 30)

    def test_started_from_another_folder_or_with_an_address(self):
        other = tempfile.mkdtemp(prefix="sonavia-other-")
        self.addCleanup(shutil.rmtree, other, True)
        os.makedirs(os.path.join(other, "sub"))
        with open(os.path.join(other, "index.htm"), "w") as out:
            out.write(page("Carpeta altra", "<p>La pagina d'aquesta carpeta.</p>"))
        with open(os.path.join(other, "sub", "triada.htm"), "w") as out:
            out.write(page("Pagina triada", "<p>La pagina de l'argument.</p>"))
        run = self.started(folder=other)
        self.assertSays(run, "carpeta altra")
        run.end()
        run = self.started(folder=other, args=["sub/triada.htm"])
        self.assertSays(run, "pagina triada")
        self.assertTrue(wait_for(lambda: run.title() == "Sonavia - Pagina triada", 5), run.title())

    def test_installed_it_starts_from_a_folder_without_a_start_page_on_the_installed_one(self):
        prefix = tempfile.mkdtemp(prefix="sonavia-prefix-")
        home = tempfile.mkdtemp(prefix="sonavia-home-")
        self.addCleanup(shutil.rmtree, prefix, True)
        self.addCleanup(shutil.rmtree, home, True)
        subprocess.run(["cmake", "--install", BUILD, "--prefix", prefix], check=True,
                       stdout=subprocess.DEVNULL, timeout=120)
        with open(os.path.join(prefix, "share/applications/sonavia.desktop"), encoding="utf-8") as entry:
            self.assertIn("Exec=sonavia", entry.read())
        run = self.started(folder=home, program=os.path.join(prefix, "bin/sonavia"))
        self.assertSays(run, "el navegador que parla")
        self.assertSays(run, "benvinguts a sonavia")

    def test_without_the_speech_library_it_browses_and_scans_in_silence(self):
        alone = tempfile.mkdtemp(prefix="sonavia-alone-")
        self.addCleanup(shutil.rmtree, alone, True)
        shutil.copy(PROGRAM, alone)
        with open(os.path.join(self.folder, "index.htm"), "w") as out:
            out.write(page("Sense veu", "<p>Res no es diu.</p>"))
        run = self.started(program=os.path.join(alone, "sonavia"),
                           settings={"Dècimes de segon que dura el pas d'escaneig": "3"})
        self.assertTrue(wait_for(lambda: run.title() == "Sonavia - Sense veu", 20), run.title())
        left, top = run.geometry()[:2]
        run.key("ctrl+F2")
        seen = set()

        def note():
            x, y = run.display.pointer()
            if y < top + 100 and (x - left - 20) % 62 == 0:
                seen.add((x - left - 20) // 62)
        wait_for(lambda: note() and False, 5, 0.05)
        run.key("ctrl+F2")
        self.assertEqual(max(seen), 7, "eight buttons: the speech button is gone")
        self.assertEqual(run.said(), [])

    def test_the_command_line_help_version_and_a_wrong_option(self):
        def call(*args):
            return subprocess.run([PROGRAM, *args], capture_output=True, text=True, timeout=30)
        helped = call("--help")
        self.assertEqual(helped.returncode, 0)
        self.assertIn("Ús: sonavia [ADREÇA]", helped.stdout)
        self.assertIn("Usage: sonavia [ADDRESS]", helped.stdout)
        version = call("--version")
        self.assertEqual(version.returncode, 0)
        self.assertRegex(version.stdout, r"^sonavia \d+\.\d+")
        wrong = call("--colour")
        self.assertEqual(wrong.returncode, 2)
        self.assertIn("Usage:", wrong.stderr)
        self.assertEqual(wrong.stdout, "")


if __name__ == "__main__":
    unittest.main()
