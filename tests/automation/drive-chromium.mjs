// Drives headless Chromium with the browser extension loaded: starts it, finds the
// extension's background through the debugging protocol (over a pipe, no network port),
// and there calls the toolbar-button and context-menu handlers, one after the other.
// Prints one JSON line per call: what the handler showed and what the button then shows.
//
// usage: node drive-chromium.mjs CHROMIUM EXTENSION_DIR USER_DATA_DIR EXTENSION_ID
import { spawn } from "node:child_process";

const [chromium, extensionDir, userDataDir, extensionId] = process.argv.slice(2);
const overallTimeoutMs = 120000;

const browser = spawn(
  chromium,
  [
    "--headless=new",
    "--no-sandbox",
    "--disable-gpu",
    "--no-first-run",
    "--disable-background-networking",
    "--disable-component-update",
    "--disable-sync",
    `--user-data-dir=${userDataDir}`,
    `--disable-extensions-except=${extensionDir}`,
    `--load-extension=${extensionDir}`,
    "--remote-debugging-pipe",
    "about:blank",
  ],
  // Its own process group, so that everything it started ends with it.
  { stdio: ["ignore", "ignore", "pipe", "pipe", "pipe"], detached: true },
);
let browserLog = "";
browser.stdio[2].on("data", (d) => (browserLog += d));

function stopBrowser() {
  try {
    process.kill(-browser.pid, "SIGKILL");
  } catch {
    // already gone
  }
}
function fail(text) {
  process.stderr.write(`${text}\n--- browser output ---\n${browserLog.slice(-4000)}\n`);
  stopBrowser();
  process.exit(1);
}
process.on("SIGTERM", () => fail("stopped"));
setTimeout(() => fail("timed out"), overallTimeoutMs).unref();
browser.on("exit", (code) => fail(`the browser ended (${code})`));

// The debugging protocol: JSON messages, each ended by a NUL byte.
let nextId = 1;
const pending = new Map();
let received = "";
browser.stdio[4].on("data", (chunk) => {
  received += chunk.toString("utf8");
  let end;
  while ((end = received.indexOf("\0")) >= 0) {
    const message = JSON.parse(received.slice(0, end));
    received = received.slice(end + 1);
    const waiting = pending.get(message.id);
    if (!waiting) continue;
    pending.delete(message.id);
    if (message.error) waiting.reject(new Error(JSON.stringify(message.error)));
    else waiting.resolve(message.result);
  }
});
function send(method, params = {}, sessionId = undefined) {
  const id = nextId++;
  browser.stdio[3].write(JSON.stringify({ id, method, params, sessionId }) + "\0");
  return new Promise((resolve, reject) => pending.set(id, { resolve, reject }));
}

async function backgroundTarget() {
  const prefix = `chrome-extension://${extensionId}/`;
  for (let i = 0; i < 300; i++) {
    const { targetInfos } = await send("Target.getTargets");
    const target = targetInfos.find((t) => t.type === "service_worker" && t.url.startsWith(prefix));
    if (target) return target;
    await new Promise((r) => setTimeout(r, 100));
  }
  fail(`no background of extension ${extensionId}`);
}

async function evaluate(sessionId, expression) {
  const { result, exceptionDetails } = await send(
    "Runtime.evaluate",
    { expression, awaitPromise: true, returnByValue: true },
    sessionId,
  );
  if (exceptionDetails) fail(`the background failed: ${JSON.stringify(exceptionDetails)}`);
  return result.value;
}

// Calls a handler with a tab of the browser and reads the button's state afterwards.
function handlerCall(call) {
  return `(async () => {
    const [tab] = await chrome.tabs.query({});
    const shown = await ${call};
    return {
      shown,
      badge: await chrome.action.getBadgeText({ tabId: tab.id }),
      title: await chrome.action.getTitle({ tabId: tab.id }),
    };
  })()`;
}

const page = JSON.stringify({ url: "http://127.0.0.1:9/浏览器/页面?q=1", title: "测试页面 Test" });
const link = JSON.stringify({ menuItemId: "vestrane-add", linkUrl: "http://127.0.0.1:9/link", pageUrl: "http://127.0.0.1:9/" });

// The background's script may still be starting when the worker appears.
async function waitForHandlers(sessionId) {
  for (let i = 0; i < 200; i++) {
    const { result } = await send(
      "Runtime.evaluate",
      { expression: "typeof chrome === 'object' && typeof vestrane === 'object'", returnByValue: true },
      sessionId,
    );
    if (result.value === true) return;
    await new Promise((r) => setTimeout(r, 100));
  }
  fail("the extension's background did not start");
}

const target = await backgroundTarget();
const { sessionId } = await send("Target.attachToTarget", { targetId: target.targetId, flatten: true });
await send("Runtime.runIfWaitingForDebugger", {}, sessionId).catch(() => {});
await waitForHandlers(sessionId);
const button = await evaluate(sessionId, handlerCall(`vestrane.onButtonClicked({ ...${page}, id: tab.id })`));
process.stdout.write(JSON.stringify(button) + "\n");
const menu = await evaluate(sessionId, handlerCall(`vestrane.onMenuClicked(${link}, tab)`));
process.stdout.write(JSON.stringify(menu) + "\n");

browser.removeAllListeners("exit");
await send("Browser.close").catch(() => {});
setTimeout(() => {
  stopBrowser();
  process.exit(0);
}, 3000).unref();
browser.on("exit", () => {
  stopBrowser();
  process.exit(0);
});
