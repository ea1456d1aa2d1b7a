"""The console in headless Chromium against `vek ui` with the built-in
governor and against `vekgov` on a pseudo-terminal: what a user sees and
what reaches the governor. Screenshots of every panel go to
build/debug/console-screenshots."""
import glob
import os
import re
import tempfile
import time
import unittest

from selenium.common.exceptions import (ElementNotInteractableException, NoSuchElementException,
                                        StaleElementReferenceException)
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

from harness import SCREENSHOTS, Console, Vekgov, chromium

IDLE_SPEED = 1
TREND_VALUES = [2000, 2001, 2002]  # speed, its set point, actuator position
SERIES_COLOUR = (0x1f, 0x77, 0xb4)  # the first trend line
WAIT_S = 30
RETRIES = 10
CURVE_ELEMENT = 3
CURVE_VALUE = '1200'
FIRMWARE_BYTES = 100000

# Pixels of the first trend line's colour on the plot's canvas.
COUNT_LINE_PIXELS = """
const canvas = document.querySelector('#trend-plot canvas');
const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
let count = 0;
for (let i = 0; i < data.length; i += 4) {
  if (Math.abs(data[i] - arguments[0]) < 40 && Math.abs(data[i + 1] - arguments[1]) < 40 &&
      Math.abs(data[i + 2] - arguments[2]) < 40 && data[i + 3] > 128) count++;
}
return count;
"""


class ConsoleInBrowser:
    """The tests; each subclass names the governor the console drives."""
    kind = None

    @classmethod
    def start_console(cls):
        raise NotImplementedError

    @classmethod
    def setUpClass(cls):
        cls.governor = None
        cls.console = cls.start_console()
        cls.downloads = tempfile.mkdtemp(prefix='vek-downloads-')
        cls.browser = chromium(cls.downloads)
        cls.browser.execute_cdp_cmd('Page.setDownloadBehavior', {'behavior': 'allow', 'downloadPath': cls.downloads})
        cls.browser.get(cls.console.url)
        WebDriverWait(cls.browser, WAIT_S).until(
            lambda browser: browser.execute_script('return vekConsole.state.definitions.length > 0'), 'definitions')
        os.makedirs(SCREENSHOTS, exist_ok=True)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        status = cls.console.stop()
        if cls.governor:
            cls.governor.stop()
        assert status == 0, 'vek ui ended with %d after Ctrl-C' % status

    def wait(self, condition, what):
        return WebDriverWait(self.browser, WAIT_S).until(lambda _: condition(), what)

    def panel(self, name):
        self.browser.find_element(By.CSS_SELECTOR, '#tabs button[data-panel="%s"]' % name).click()

    def screenshot(self, panel):
        self.browser.save_screenshot(os.path.join(SCREENSHOTS, '%s-%s.png' % (self.kind, panel)))

    def text(self, selector):
        return self.browser.find_element(By.CSS_SELECTOR, selector).text

    def start_trend(self):
        start = self.browser.find_element(By.ID, 'trend-start')
        if start.text == 'Start':
            start.click()

    def enter_value(self, number, text):
        """Types text into the value's field and presses Enter; the list may be drawn anew meanwhile."""
        self.panel('parameters')
        for _ in range(RETRIES):
            try:
                field = self.browser.find_element(By.CSS_SELECTOR, '#def-%d input' % number)
                field.send_keys(Keys.CONTROL, 'a')
                field.send_keys(text, Keys.ENTER)
                return
            except (StaleElementReferenceException, ElementNotInteractableException, NoSuchElementException):
                time.sleep(0.5)
        self.fail('cannot type into the field of %d' % number)

    def field_value(self, number):
        return self.browser.execute_script("return document.querySelector('#def-%d input').value" % number)

    def test_the_page_shows_the_device_and_the_parameter_list(self):
        device = self.console.api('GET', '/api/device')[1]
        self.panel('connection')
        self.wait(lambda: self.text('#header-software') == 'software ' + device['software']['text'], 'version')
        self.assertEqual(self.text('#link-state'), 'connected')
        self.assertIn('Software %s (%d)' % (device['software']['text'], device['software']['version']),
                      self.text('#device'))
        self.screenshot('connection')
        self.panel('parameters')
        rows = self.wait(lambda: self.browser.find_elements(By.CSS_SELECTOR, '#definitions tr'), 'rows')
        self.assertEqual(len(rows), device['definitions'])
        self.assertEqual(rows[0].find_element(By.CSS_SELECTOR, 'td:nth-child(2)').text, 'IdleSpeed')
        self.screenshot('parameters')

    def test_an_edited_value_reaches_the_governor_and_a_refused_one_shows_the_library_s_reason(self):
        before = self.console.value(IDLE_SPEED)
        new = '900' if before == '800' else '800'
        self.enter_value(IDLE_SPEED, new)
        self.wait(lambda: self.console.value(IDLE_SPEED) == new, 'the new value in the governor')
        self.wait(lambda: 'edited' in self.browser.find_element(By.ID, 'def-1').get_attribute('class'), 'mark')

        self.enter_value(IDLE_SPEED, '99999')
        reason = self.wait(lambda: self.browser.find_element(By.CSS_SELECTOR, '#def-1 .reason'), 'the reason')
        self.assertEqual(reason.text, 'Parameter value is out of range [99999] => 1: IdleSpeed [400 .. 1500]')
        self.assertEqual(self.field_value(IDLE_SPEED), new)
        self.assertEqual(self.console.value(IDLE_SPEED), new)
        self.browser.execute_script("arguments[0].scrollIntoView({block: 'center'})", reason)
        self.screenshot('parameters-refused')
        self.console.api('POST', '/api/values/%d' % IDLE_SPEED, {'text': before})

    def test_the_trend_collects_samples_and_draws_them(self):
        self.panel('trend')
        add = self.browser.find_element(By.ID, 'trend-add')
        for number in TREND_VALUES:
            add.send_keys(str(number), Keys.ENTER)
        self.start_trend()
        samples = 'return vekConsole.trend.store.x.length'
        self.wait(lambda: self.browser.execute_script(samples) >= 40, 'samples')
        time.sleep(1)  # the next plot update
        self.assertGreater(self.browser.execute_script(COUNT_LINE_PIXELS, *SERIES_COLOUR), 100)
        status = self.console.api('GET', '/api/status')[1]['trend']
        rows = self.browser.execute_script(
            "return [...document.querySelectorAll('#trend-current tr')].map((row) => row.innerText)")
        self.assertEqual([row.split('\t')[0] for row in rows], ['■ ' + name for name in status['names']])
        self.assertRegex(self.text('#trend-stats'), r'^\d+ samples, [\d.]+ samples/s here, governor [\d.]+/s; missed 0$')
        self.screenshot('trend')
        self.assertEqual(status['ids'], TREND_VALUES)
        self.assertEqual(status['clients'], 1)

    def test_curves_show_a_chart_and_a_table(self):
        self.panel('curves')
        curves = self.console.api('GET', '/api/curves')[1]
        rows = self.wait(lambda: self.browser.find_elements(By.CSS_SELECTOR, '#curve-table tr'), 'elements')
        self.assertEqual(len(rows), len(curves[0]['elements']))
        element = curves[0]['elements'][CURVE_ELEMENT]
        field = rows[CURVE_ELEMENT].find_element(By.TAG_NAME, 'input')
        field.send_keys(Keys.CONTROL, 'a')
        field.send_keys(CURVE_VALUE, Keys.ENTER)
        self.wait(lambda: self.console.value(element['number']) == CURVE_VALUE, 'the element in the governor')
        self.screenshot('curves')
        self.console.api('POST', '/api/values/%d' % element['number'], {'text': element['text']})

    def test_a_saved_file_loads_back_after_a_preview_of_the_difference(self):
        before = self.console.value(IDLE_SPEED)
        self.panel('files')
        self.browser.find_element(By.ID, 'file-save').click()
        saved = self.wait(lambda: [f for f in glob.glob(os.path.join(self.downloads, '*.prm'))], 'the download')[0]
        with open(saved, 'rb') as file:
            self.assertIn(b'[Werte]', file.read())
        changed = '700' if before != '700' else '750'
        self.assertEqual(self.console.api('POST', '/api/values/%d' % IDLE_SPEED, {'text': changed})[0], 200)

        self.browser.find_element(By.ID, 'file-input').send_keys(saved)
        rows = self.wait(lambda: self.browser.find_elements(By.CSS_SELECTOR, '#file-differences tr'), 'preview')
        self.assertEqual([row.text for row in rows if row.text.startswith('1 ')],
                         ['1 IdleSpeed %s %s rpm' % (changed, before)])
        self.assertEqual(self.console.value(IDLE_SPEED), changed)  # a preview writes nothing
        self.screenshot('files')
        self.browser.find_element(By.ID, 'file-load').click()
        self.wait(lambda: self.text('#file-result') == 'The file was loaded into the governor', 'the load')
        self.assertEqual(self.console.value(IDLE_SPEED), before)

    def test_the_error_memory_lists_the_governor_s_records(self):
        memory = self.console.api('GET', '/api/errors/memory')[1]
        self.assertTrue(memory['records'])
        self.panel('errors')
        self.browser.find_element(By.ID, 'memory-read').click()
        rows = self.wait(lambda: self.browser.find_elements(By.CSS_SELECTOR, '#memory tr'), 'records')
        self.assertEqual(len(rows), len(memory['records']))
        first = memory['records'][0]
        self.assertTrue(rows[0].text.startswith('%d %s %d' % (first['number'], first['name'], first['count'])),
                        rows[0].text)
        self.wait(lambda: self.browser.find_elements(By.CSS_SELECTOR, '#pending tr'), 'pending errors')
        self.screenshot('errors')

    def test_firmware_update_asks_first_then_shows_the_governor_back(self):
        self.panel('firmware')
        image = os.path.join(self.downloads, 'image.bin')
        with open(image, 'wb') as file:
            file.write(b'\x5a' * FIRMWARE_BYTES)
        self.browser.find_element(By.ID, 'firmware-input').send_keys(image)
        self.browser.find_element(By.ID, 'firmware-upload').click()
        alert = self.wait(lambda: self.browser.switch_to.alert, 'the confirmation')
        self.assertEqual(alert.text,
                         "Erase the governor's firmware and upload image.bin (%d bytes)?" % FIRMWARE_BYTES)
        alert.accept()
        self.wait(lambda: '%' in self.text('#firmware-stage') or 'Done' == self.text('#firmware-stage'), 'progress')
        self.screenshot('firmware-progress')
        self.wait(lambda: self.text('#firmware-result').startswith('Uploaded %d bytes' % FIRMWARE_BYTES), 'update')
        self.wait(lambda: not self.browser.find_element(By.ID, 'progress').is_displayed(), 'the end of progress')
        self.screenshot('firmware')
        self.panel('log')
        self.wait(lambda: 'Uploading' in self.text('#log-lines') or 'firmware' in self.text('#log-lines').lower(),
                  'log lines')
        self.screenshot('log')


class WithTheBuiltInGovernor(ConsoleInBrowser, unittest.TestCase):
    kind = 'builtin'

    @classmethod
    def start_console(cls):
        return Console()


class WithVekgovOnAPseudoTerminal(ConsoleInBrowser, unittest.TestCase):
    kind = 'vekgov'

    @classmethod
    def start_console(cls):
        cls.pty_governor = Vekgov()
        console = Console('--port', cls.pty_governor.link)
        cls.governor = cls.pty_governor
        return console

    def test_a_governor_that_goes_away_is_shown_disconnected_and_comes_back_with_the_trend(self):
        self.panel('trend')
        self.browser.find_element(By.ID, 'trend-add').send_keys(str(TREND_VALUES[0]), Keys.ENTER)
        self.start_trend()
        samples = 'return vekConsole.trend.store.x.length'
        self.wait(lambda: self.browser.execute_script(samples) >= 20, 'samples')
        self.governor.stop()
        self.wait(lambda: self.text('#link-state') == 'disconnected', 'disconnected')
        kept = self.browser.execute_script(samples)
        self.screenshot('disconnected')
        self.governor.start()
        self.wait(lambda: self.text('#link-state') == 'connected', 'connected again')
        self.wait(lambda: self.browser.execute_script(samples) > kept + 20, 'the trend going on')
        self.assertEqual(self.console.api('GET', '/api/status')[1]['connection']['reconnections'], 1)


if __name__ == '__main__':
    unittest.main()
