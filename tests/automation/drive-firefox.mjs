// Drives headless Firefox with the browser extension loaded as a temporary add-on:
// serves a page on loopback, opens it, and clicks the extension's toolbar button through
// Firefox's remote-control protocol (Marionette, on a loopback port Firefox picks).
// Prints one JSON line: the page's address and what the button shows afterwards.
//
// usage: node drive-firefox.mjs FIREFOX EXTENSION_DIR PROFILE_DIR EXTENSION_ID
import { spawn } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import net from "node:net";

const [firefox, extensionDir, profile, extensionId] = process.argv.slice(2);
const overallTimeoutMs = 120000;
const pageTitle = "火狐页面 Test";

fs.mkdirSync(profile, { recursive: true });
fs.writeFileSync(
  `${profile}/user.js`,
  [
    'user_pref("marionette.port", 0);',
    'user_pref("browser.shell.checkDefaultBrowser", false);',
    'user_pref("datareporting.policy.dataSubmissionEnabled", false);',
    'user_pref("toolkit.telemetry.reportingpolicy.firstRun", false);',
    'user_pref("app.update.disabledForTesting", true);',
    'user_pref("browser.startup.homepage_override.mstone", "ignore");',
    'user_pref("network.proxy.type", 0);',
  ].join("\n"),
);

const server = http.createServer((request, response) => {
  response.setHeader("content-type", "text/html; charset=utf-8");
  response.end(`<!doctype html><title>${pageTitle}</title><h1>Vestrane</h1>`);
});
await new Promise((resolve) => server.listen(0, "127.0.0.1", resolve));
const pageUrl = `http://127.0.0.1:${server.address().port}/页面`;

const browser = spawn(
  firefox,
  ["--headless", "--marionette", "-remote-allow-system-access", "--no-remote", "--profile", profile, "about:blank"],
  // Its own process group, so that everything it started ends with it.
  { stdio: ["ignore", "ignore", "pipe"], detached: true },
);
let browserLog = "";
browser.stderr.on("data", (d) => (browserLog += d));

function stopBrowser() {
  try {
    process.kill(-browser.pid, "SIGKILL");
  } catch {
    // already gone
  }
  server.close();
}
function fail(text) {
  process.stderr.write(`${text}\n--- browser output ---\n${browserLog.slice(-4000)}\n`);
  stopBrowser();
  process.exit(1);
}
process.on("SIGTERM", () => fail("stopped"));
setTimeout(() => fail("timed out"), overallTimeoutMs).unref();
browser.on("exit", (code) => fail(`the browser ended (${code})`));

async function marionettePort() {
  for (let i = 0; i < 600; i++) {
    try {
      const port = Number(fs.readFileSync(`${profile}/MarionetteActivePort`, "utf8"));
      if (port > 0) return port;
    } catch {
      // not written yet
    }
    await new Promise((r) => setTimeout(r, 100));
  }
  fail("Firefox did not open its remote-control port");
}

// Marionette: each packet is "length:json"; a command is [0, id, name, parameters] and
// its answer [1, id, error, result]. The first packet is the server's greeting.
const socket = net.connect(await marionettePort(), "127.0.0.1");
socket.on("error", (error) => fail(`remote control: ${error.message}`));
let received = Buffer.alloc(0);
let greeted;
const greeting = new Promise((resolve) => (greeted = resolve));
const pending = new Map();
socket.on("data", (chunk) => {
  received = Buffer.concat([received, chunk]);
  for (;;) {
    const colon = received.indexOf(":");
    if (colon < 0) return;
    const length = Number(received.subarray(0, colon).toString());
    if (received.length < colon + 1 + length) return;
    const packet = JSON.parse(received.subarray(colon + 1, colon + 1 + length).toString());
    received = received.subarray(colon + 1 + length);
    if (!Array.isArray(packet)) {
      greeted();
      continue;
    }
    const waiting = pending.get(packet[1]);
    pending.delete(packet[1]);
    if (packet[2]) waiting?.reject(new Error(JSON.stringify(packet[2])));
    else waiting?.resolve(packet[3]);
  }
});
let nextId = 0;
function command(name, parameters = {}) {
  const id = ++nextId;
  const text = JSON.stringify([0, id, name, parameters]);
  socket.write(`${Buffer.byteLength(text)}:${text}`);
  return new Promise((resolve, reject) => pending.set(id, { resolve, reject }));
}

try {
  await greeting;
  await command("WebDriver:NewSession", {});
  await command("Addon:Install", { path: extensionDir, temporary: true });
  await command("WebDriver:Navigate", { url: pageUrl });
  await command("Marionette:SetContext", { value: "chrome" });
  // Clicks the button as the user would (the extension gets the tab and its address),
  // then waits until the button shows an outcome; the user may take a while.
  const { value } = await command("WebDriver:ExecuteAsyncScript", {
    script: `
      const [extensionId, done] = arguments;
      (async () => {
        const { ExtensionParent } = ChromeUtils.importESModule("resource://gre/modules/ExtensionParent.sys.mjs");
        const extension = WebExtensionPolicy.getByID(extensionId).extension;
        const window = Services.wm.getMostRecentWindow("navigator:browser");
        const button = ExtensionParent.apiManager.global.browserActionFor(extension);
        const tab = window.gBrowser.selectedTab;
        button.triggerAction(window);
        for (;;) {
          const badge = button.action.getProperty(tab, "badgeText");
          if (badge) return { badge, title: button.action.getProperty(tab, "title") };
          await new Promise((r) => window.setTimeout(r, 50));
        }
      })().then(done, (error) => done({ failure: String(error) }));`,
    args: [extensionId],
    scriptTimeout: overallTimeoutMs,
  });
  if (value.failure) fail(value.failure);
  process.stdout.write(JSON.stringify({ url: pageUrl, ...value }) + "\n");
} catch (error) {
  fail(error.message);
}
browser.removeAllListeners("exit");
stopBrowser();
process.exit(0);
