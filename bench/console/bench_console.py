"""The console's benchmark rows (bench/README.md), in the table format of
vek_bench:

- trend delivery: samples a page receives from /api/trend per second, 16
  values of a timed list as fast as the line allows, over a pseudo-terminal
  that `vekgov --line-speed` paces at 115200 baud, for 60 s; reference: the
  wire-limited rate (1 byte out, 38 back at 10 bits a byte). Also: samples
  lost (sequence gaps plus the server's count of samples dropped for the
  client).
- the same line read by the library alone (`vek watch` of the same 16
  values with the log on), as a reference for the console's own share: the
  console's rate over the library's, goal >= 0.95; vekgov paces by sleeping,
  so on a loaded machine the library alone stays below the wire rate too.
- page frame time: headless Chromium with 30 minutes of 16 values at that
  rate in the trend's store; the time from the start of a redraw of the whole
  range to the next animation frame, the median of 20 (the slowest is
  printed beside it: on a loaded machine one frame may wait for the
  processor); reference: 50 ms.

Usage: bench_console.py BUILD_DIR [SECONDS]"""
import json
import os
import statistics
import subprocess
import sys
import time
import urllib.request

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', '..', 'tests', 'console'))
os.environ.setdefault('VEK_BUILD_DIR', sys.argv[1] if len(sys.argv) > 1 else 'build/bench')
import harness  # noqa: E402

BAUD = 115200
BITS_PER_BYTE = 10
SAMPLE_BYTES = 1 + 38          # the request byte and the 16-value reply
TREND_VALUES = 16
DELIVERY_GOAL = 0.95
FRAME_GOAL_MS = 50.0
PLOT_MINUTES = 30
FRAMES = 20

FILL_AND_MEASURE = """
const [count, samples, frames, done] = arguments;
const trend = vekConsole.trend;
vekConsole.showPanel('trend');
trend.config = {ids: [...Array(count).keys()], names: [...Array(count).keys()].map((i) => 'value ' + i),
                units: [...Array(count).keys()].map((i) => ['rpm', '%', 'bar', 'mA'][i % 4])};
trend.clear();
const values = new Array(count);
for (let k = 0; k < samples; k++) {
  for (let i = 0; i < count; i++) values[i] = 1000 * Math.sin(k / (500 + 37 * i)) + i * 100;
  trend.store.push(k / 295.4, values);
}
trend.follow = true;
const times = [];
const frame = () => new Promise((resolve) => requestAnimationFrame(resolve));
(async () => {
  await frame();
  for (let f = 0; f < frames; f++) {
    const began = performance.now();
    trend.draw();
    await frame();
    times.push(performance.now() - began);
  }
  done(times);
})();
"""


def row(figure, measured, reference, ratio, goal, met):
    load = os.getloadavg()[0]
    print('| %-62s | %12s | %12s | %6.3f | %-8s | %-3s | %.2f |' % (
        figure, measured, reference, ratio, goal, 'yes' if met else 'no', load))
    return met


def library_rate(link, ids, count):
    """Samples per second of `vek watch` alone: the difference of a run of
    count + 1 samples and one of 1 sample (the connection and download)."""
    def run(samples):
        began = time.monotonic()
        subprocess.run([harness.VEK, 'watch', *ids, '--interval', '0', '--count', str(samples), '--port', link,
                        '--baud', str(BAUD), '--log', os.path.join(os.path.dirname(link), 'watch.log')],
                       stdout=subprocess.DEVNULL, check=True)
        return time.monotonic() - began
    return count / (run(count + 1) - run(1))


def trend_delivery(seconds):
    governor = harness.Vekgov('--line-speed')
    console = harness.Console('--port', governor.link, '--baud', str(BAUD))
    try:
        measurements = console.api('GET', '/api/definitions?kind=measurements')[1]
        numbers = [str(d['number']) for d in measurements[:TREND_VALUES]]
        request = urllib.request.Request(console.base + 'api/trend?interval=0&ids=' + ','.join(numbers), headers={
            'Authorization': 'Bearer ' + console.token, 'Host': console.host})
        received, gaps, missed, first, last = 0, 0, 0, None, None
        with urllib.request.urlopen(request, timeout=30) as stream:
            began = None
            for line in stream:
                if not line.startswith(b'data: {"seq"'):
                    continue
                sample = json.loads(line[len(b'data: '):])
                if began is None:
                    began = time.monotonic()
                    first = sample['seq']
                elif sample['seq'] != last + 1:
                    gaps += sample['seq'] - last - 1
                last, missed = sample['seq'], sample['missed']
                received += 1
                if time.monotonic() - began >= seconds:
                    break
            elapsed = time.monotonic() - began
    finally:
        console.stop()
    try:
        alone = library_rate(governor.link, numbers, received)
    finally:
        governor.stop()
    rate = (received - 1) / elapsed
    wire = BAUD / BITS_PER_BYTE / SAMPLE_BYTES
    ok = row('trend, 16 values @115200 for %d s: samples/s to the page / wire' % seconds,
             '%.1f /s' % rate, '%.1f /s' % wire, rate / wire, '>= %.2f' % DELIVERY_GOAL, rate / wire >= DELIVERY_GOAL)
    ok = row('trend, 16 values @115200: console samples/s / library alone (vek watch)', '%.1f /s' % rate,
             '%.1f /s' % alone, rate / alone, '>= %.2f' % DELIVERY_GOAL, rate / alone >= DELIVERY_GOAL) and ok
    lost = gaps + missed
    return row('trend, 16 values @115200: samples lost / samples taken', str(lost), str(last - first + 1),
               lost / (last - first + 1), '= 0', lost == 0) and ok


def frame_time():
    console = harness.Console()
    browser = harness.chromium(harness.tempfile.mkdtemp())
    try:
        browser.set_script_timeout(600)
        browser.get(console.url)
        samples = int(PLOT_MINUTES * 60 * BAUD / BITS_PER_BYTE / SAMPLE_BYTES)
        times = browser.execute_async_script(FILL_AND_MEASURE, TREND_VALUES, samples, FRAMES)
    finally:
        browser.quit()
        console.stop()
    median = statistics.median(times)
    print('  (frames: median %.1f ms, slowest %.1f ms)' % (median, max(times)))
    return row('trend plot, %d min of 16 values (%d samples): frame ms / limit' % (PLOT_MINUTES, samples),
               '%.1f ms' % median, '%.1f ms' % FRAME_GOAL_MS, median / FRAME_GOAL_MS, '<= 1.000',
               median <= FRAME_GOAL_MS)


def main():
    seconds = int(sys.argv[2]) if len(sys.argv) > 2 else 60
    print('| %-62s | %12s | %12s | %6s | %-8s | %-3s | %s |' % (
        'figure', 'measured', 'reference', 'ratio', 'goal', 'met', 'load'))
    ok = trend_delivery(seconds)
    ok = frame_time() and ok
    sys.exit(0 if ok else 1)


if __name__ == '__main__':
    main()
