"""What the console refuses, without a browser: requests without the token,
from another origin, by another host name, and uploads beyond the limits."""
import subprocess
import unittest

from harness import VEK, Console

IDLE_SPEED = 1
PARAMETER_FILE_LIMIT = 1 << 20
FIRMWARE_LIMIT = 8 << 20


class Security(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.console = Console()

    @classmethod
    def tearDownClass(cls):
        status = cls.console.stop()
        assert status == 0, 'vek ui exited with %d after Ctrl-C' % status

    def headers(self, **extra):
        headers = {'Host': self.console.host}
        headers.update(extra)
        return headers

    def test_without_the_token_nothing_is_served_and_nothing_changes(self):
        before = self.console.value(IDLE_SPEED)
        for method, path in [('GET', '/'), ('GET', '/api/device'), ('GET', '/api/trend?ids=2000')]:
            status, _, body = self.console.request(method, path, headers=self.headers())
            self.assertEqual(status, 401, path)
            self.assertIn(b'token is missing', body)
        status, _, _ = self.console.request('POST', '/api/values/1', {'text': '700'},
                                            self.headers(Origin=self.console.origin))
        self.assertEqual(status, 401)
        wrong = self.headers(Authorization='Bearer ' + '0' * 32, Origin=self.console.origin)
        self.assertEqual(self.console.request('POST', '/api/values/1', {'text': '700'}, wrong)[0], 403)
        self.assertEqual(self.console.request('GET', '/?token=' + '0' * 32, headers=self.headers())[0], 403)
        self.assertEqual(self.console.value(IDLE_SPEED), before)

    def test_the_first_load_turns_the_token_into_a_strict_cookie(self):
        status, headers, _ = self.console.request('GET', '/?token=' + self.console.token, headers=self.headers())
        self.assertEqual(status, 303)
        self.assertEqual(headers['Location'], '/')
        self.assertEqual(headers['Set-Cookie'], 'vek_token_%d=%s; Path=/; HttpOnly; SameSite=Strict'
                         % (self.console.port, self.console.token))
        cookie = self.headers(Cookie='vek_token_%d=%s' % (self.console.port, self.console.token))
        status, headers, body = self.console.request('GET', '/', headers=cookie)
        self.assertEqual(status, 200)
        self.assertIn(b'vek service console', body)
        self.assertNotIn('Access-Control-Allow-Origin', headers)

    def test_changes_only_from_the_console_s_own_origin(self):
        before = self.console.value(IDLE_SPEED)
        bearer = 'Bearer ' + self.console.token
        for origin in ['http://evil.example', 'null', 'http://127.0.0.1:1', None]:
            extra = {} if origin is None else {'Origin': origin}
            status, _, body = self.console.request('POST', '/api/values/1', {'text': '700'},
                                                   self.headers(Authorization=bearer, **extra))
            self.assertEqual(status, 403, origin)
            self.assertIn(b'Origin', body)
        self.assertEqual(self.console.value(IDLE_SPEED), before)
        self.assertEqual(self.console.api('POST', '/api/values/1', {'text': '700'})[0], 200)
        self.assertEqual(self.console.value(IDLE_SPEED), '700')
        self.console.api('POST', '/api/values/1', {'text': before})

    def test_a_foreign_host_name_is_refused_even_with_the_token(self):
        for host in ['evil.example:%d' % self.console.port, 'localhost.evil.example', '127.0.0.1:1', '']:
            status, _, body = self.console.request('GET', '/api/device', headers={
                'Host': host, 'Authorization': 'Bearer ' + self.console.token})
            self.assertEqual(status, 403, host)
            self.assertIn(b'unexpected Host', body)
        status, _, _ = self.console.request('GET', '/api/device', headers={
            'Host': 'localhost:%d' % self.console.port, 'Authorization': 'Bearer ' + self.console.token})
        self.assertEqual(status, 200)

    def test_uploads_beyond_their_limits_are_refused_before_the_governor_sees_them(self):
        status, body = self.console.api('POST', '/api/files/load', b'#' * (PARAMETER_FILE_LIMIT + 1))
        self.assertEqual(status, 413)
        self.assertEqual(body['error'], 'a parameter file has at most 1 MiB')
        status, _ = self.console.api('POST', '/api/firmware', b'\x5a' * (FIRMWARE_LIMIT + 1))
        self.assertEqual(status, 413)
        self.assertEqual(self.console.api('GET', '/api/status')[1]['connection']['state'], 'connected')
        self.assertEqual(self.console.api('GET', '/api/device')[0], 200)

    def test_only_reading_and_changing_methods_and_no_paths_on_disk(self):
        self.assertEqual(self.console.api('PATCH', '/api/values/1', {'text': '700'})[0], 405)
        for path in ['/../../etc/passwd', '/api/files/load?path=/etc/passwd', '/%2e%2e/etc/passwd']:
            status, body = self.console.api('GET', path)
            self.assertIn(status, (400, 404), path)
            self.assertNotIn(b'root:', body if isinstance(body, bytes) else b'')

    def test_a_second_console_on_the_same_port_says_why_it_cannot_start(self):
        run = subprocess.run([VEK, 'ui', '--no-browser', '--listen', self.console.host], capture_output=True,
                             text=True, timeout=30)
        self.assertEqual(run.returncode, 1)
        self.assertIn('vek: cannot listen on %s: the port is in use (another vek ui?)' % self.console.host,
                      run.stderr)

    def test_listening_beyond_this_computer_warns(self):
        other = Console('--listen', '0.0.0.0:0')
        try:
            self.assertEqual(other.api('GET', '/api/device')[0], 200)
        finally:
            self.assertEqual(other.stop(), 0)
        self.assertIn('vek: warning: listening on 0.0.0.0: anyone who can reach this address and has the '
                      'token can change the governor', other.errors)


if __name__ == '__main__':
    unittest.main()
