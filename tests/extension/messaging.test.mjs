import assert from "node:assert/strict";
import { test } from "node:test";

import {
  HOST_NAME,
  addAndDescribe,
  askProgram,
  outcomeDisplay,
  requestForMenu,
  requestForTab,
  showOutcome,
} from "../../browser-extension/messaging.js";

// A port as runtime.connectNative gives it; `reply` decides what the host does once
// the request is posted.
function fakeRuntime(reply) {
  const runtime = { connected: [], posted: [], disconnected: 0, lastError: undefined };
  runtime.connectNative = (name) => {
    runtime.connected.push(name);
    const messageListeners = [];
    const disconnectListeners = [];
    const port = {
      onMessage: { addListener: (f) => messageListeners.push(f) },
      onDisconnect: { addListener: (f) => disconnectListeners.push(f) },
      postMessage: (message) => {
        runtime.posted.push(message);
        queueMicrotask(() =>
          reply({
            answer: (a) => messageListeners.forEach((f) => f(a)),
            close: (error) => disconnectListeners.forEach((f) => f(error ? { error } : port)),
            setLastError: (e) => (runtime.lastError = e),
          }),
        );
      },
      disconnect: () => runtime.disconnected++,
    };
    return port;
  };
  return runtime;
}

test("requests name the page, the link, or the link's address when it has no text", () => {
  const tab = { id: 3, url: "https://example.com/a", title: "例子" };
  assert.deepEqual(requestForTab(tab), { url: "https://example.com/a", title: "例子" });
  assert.deepEqual(requestForTab({ id: 4 }), { url: "", title: "" });
  assert.deepEqual(requestForMenu({ pageUrl: "https://example.com/a" }, tab), { url: tab.url, title: "例子" });
  assert.deepEqual(requestForMenu({ linkUrl: "https://x.org/", linkText: "  X 站 " }, tab), {
    url: "https://x.org/",
    title: "X 站",
  });
  assert.deepEqual(requestForMenu({ linkUrl: "https://x.org/", pageUrl: tab.url }, tab), {
    url: "https://x.org/",
    title: "https://x.org/",
  });
});

test("the host's answer comes back and the port is closed", async () => {
  const runtime = fakeRuntime(({ answer }) => answer({ result: "saved" }));
  const request = { url: "https://example.com/", title: "t" };
  assert.deepEqual(await askProgram(request, runtime), { result: "saved" });
  assert.deepEqual(runtime.connected, [HOST_NAME]);
  assert.deepEqual(runtime.posted, [request]);
  assert.equal(runtime.disconnected, 1);
});

test("a host that cannot start or ends without answering is an error with its reason", async () => {
  // Chromium: the reason in runtime.lastError.
  let runtime = fakeRuntime(({ close, setLastError }) => {
    setLastError({ message: "Specified native messaging host not found." });
    close();
  });
  assert.deepEqual(await askProgram({ url: "u", title: "t" }, runtime), {
    result: "error",
    message: "Specified native messaging host not found.",
  });
  // Firefox: the reason on the port.
  runtime = fakeRuntime(({ close }) => close({ message: "No such native application vestrane" }));
  assert.equal((await askProgram({ url: "u", title: "t" }, runtime)).message, "No such native application vestrane");
  // No reason at all, and an answer after the close, which must not count.
  runtime = fakeRuntime(({ close, answer }) => {
    close();
    answer({ result: "saved" });
  });
  assert.equal((await askProgram({ url: "u", title: "t" }, runtime)).result, "error");
  // connectNative itself throws.
  const throwing = {
    connectNative: () => {
      throw new Error("nativeMessaging permission missing");
    },
  };
  assert.deepEqual(await askProgram({ url: "u", title: "t" }, throwing), {
    result: "error",
    message: "nativeMessaging permission missing",
  });
});

test("each outcome has its own badge, and an error shows its text", () => {
  const saved = outcomeDisplay({ result: "saved" });
  const cancelled = outcomeDisplay({ result: "cancelled" });
  const failed = outcomeDisplay({ result: "error", message: "磁盘已满" });
  assert.equal(new Set([saved.badge, cancelled.badge, failed.badge]).size, 3);
  assert.match(failed.title, /磁盘已满/);
  for (const odd of [undefined, null, {}, { result: "later" }, "saved"]) {
    assert.equal(outcomeDisplay(odd).badge, failed.badge);
  }
});

test("a page without an address is not sent", async () => {
  const runtime = fakeRuntime(({ answer }) => answer({ result: "saved" }));
  const display = await addAndDescribe({ url: "", title: "新标签页" }, runtime);
  assert.equal(display.badge, "!");
  assert.deepEqual(runtime.connected, []);
});

test("the outcome goes on the button of its tab", async () => {
  const calls = [];
  const action = {
    setBadgeText: async (d) => calls.push(["text", d]),
    setBadgeBackgroundColor: async (d) => calls.push(["color", d]),
    setTitle: async (d) => calls.push(["title", d]),
  };
  const display = outcomeDisplay({ result: "error", message: "x" });
  await showOutcome(action, 7, display);
  assert.deepEqual(calls, [
    ["color", { tabId: 7, color: display.color }],
    ["text", { tabId: 7, text: display.badge }],
    ["title", { tabId: 7, title: display.title }],
  ]);
});
