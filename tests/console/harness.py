"""Starts what the console tests need: `vek ui` (with the built-in governor
or on the pseudo-terminal of a `vekgov`), talks to its API as a script does,
and drives headless Chromium through Selenium."""
import http.client
import json
import os
import re
import signal
import subprocess
import tempfile
import time
import urllib.parse

BUILD = os.environ.get('VEK_BUILD_DIR', os.path.join(os.path.dirname(__file__), '..', '..', 'build', 'debug'))
VEK = os.path.join(BUILD, 'tools', 'vek', 'vek')
VEKGOV = os.path.join(BUILD, 'sim', 'vekgov')
SCREENSHOTS = os.path.join(BUILD, 'console-screenshots')
START_TIMEOUT_S = 20


def wait_for(condition, timeout=START_TIMEOUT_S, what='condition'):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.1)
    raise AssertionError('gave up waiting for ' + what)


class Vekgov:
    """The simulated governor program on a pseudo-terminal, reachable by a fixed link."""

    def __init__(self, *arguments):
        self.folder = tempfile.mkdtemp(prefix='vek-console-')
        self.link = os.path.join(self.folder, 'governor')
        self.arguments = arguments
        self.start()

    def start(self):
        self.process = subprocess.Popen([VEKGOV, '--live', '--link', self.link, *self.arguments],
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: os.path.exists(self.link), what='vekgov link')

    def stop(self):
        self.process.terminate()
        self.process.wait()


class Console:
    """`vek ui --no-browser` on a free port; api() talks to it with the token."""

    def __init__(self, *arguments):
        listen = [] if '--listen' in arguments else ['--listen', '127.0.0.1:0']
        self.process = subprocess.Popen([VEK, 'ui', '--no-browser', *listen, *arguments],
                                        stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.line = self.process.stdout.readline()
        match = re.search(r'(http://(\S+?)/)\?token=(\w+)', self.line)
        if not match:
            raise AssertionError('vek ui printed: %r %r' % (self.line, self.process.stderr.read()))
        self.base, self.host, self.token = match.group(1), match.group(2), match.group(3)
        self.url = self.base + '?token=' + self.token
        self.port = int(self.host.rsplit(':', 1)[1])
        self.origin = 'http://' + self.host
        wait_for(lambda: self.api('GET', '/api/status')[1]['connection']['state'] == 'connected',
                 what='the governor connection')

    def request(self, method, path, body=None, headers=None):
        """(status, headers, body bytes) of one request with exactly these headers."""
        connection = http.client.HTTPConnection('127.0.0.1', self.port, timeout=60)
        connection.putrequest(method, path, skip_host=True, skip_accept_encoding=True)
        for name, value in (headers or {}).items():
            connection.putheader(name, value)
        data = body if isinstance(body, (bytes, type(None))) else json.dumps(body).encode()
        if data is not None:
            connection.putheader('Content-Length', str(len(data)))
        connection.endheaders(data)
        response = connection.getresponse()
        result = response.status, dict(response.getheaders()), response.read()
        connection.close()
        return result

    def api(self, method, path, body=None, **extra):
        headers = {'Host': self.host, 'Authorization': 'Bearer ' + self.token}
        if method != 'GET':
            headers['Origin'] = self.origin
        headers.update(extra)
        status, _, data = self.request(method, path, body, headers)
        return status, json.loads(data) if data[:1] in (b'{', b'[') else data

    def value(self, number):
        return self.api('GET', '/api/values/%d' % number)[1]['text']

    def stop(self):
        """Ctrl-C; returns the exit status."""
        self.process.send_signal(signal.SIGINT)
        self.output, self.errors = self.process.communicate(timeout=30)
        return self.process.returncode


def chromium(download_folder):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for argument in ['--headless', '--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage', '--no-first-run',
                     '--disable-background-networking', '--disable-component-update', '--disable-sync',
                     '--user-data-dir=' + tempfile.mkdtemp(prefix='vek-chromium-'), '--window-size=1400,900']:
        options.add_argument(argument)
    options.add_experimental_option('prefs', {'download.default_directory': download_folder,
                                              'download.prompt_for_download': False})
    return webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)


def quoted(text):
    return urllib.parse.quote(text)
