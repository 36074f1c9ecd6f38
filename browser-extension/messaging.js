// The extension's talk with the program: what is sent for a click, how the program's
// answer is awaited, and what the toolbar button then shows. Browser objects are passed
// in, so this module runs in the browser and in plain Node tests alike.

export const HOST_NAME = "vestrane";
export const MENU_ID = "vestrane-add";
export const MENU_TITLE = "添加到网址管理";

// The page of a toolbar button click.
export function requestForTab(tab) {
  return { url: tab?.url ?? "", title: tab?.title ?? "" };
}

// A context-menu click: the link under the pointer if there is one, else the page.
// Firefox gives a link's text; Chromium does not, and the link's address names it then.
export function requestForMenu(info, tab) {
  if (info.linkUrl) {
    const text = (info.linkText ?? "").trim();
    return { url: info.linkUrl, title: text || info.linkUrl };
  }
  return { url: info.pageUrl || tab?.url || "", title: tab?.title ?? "" };
}

function messageOf(error, fallback) {
  return (error && error.message) || (typeof error === "string" && error) || fallback;
}

// Sends one request to the program through a port of its own and resolves with the
// answer ({result: "saved" | "cancelled" | "error", message?}). The port stays open as
// long as the user keeps the program's editor open, which also keeps the background
// alive; a host that ends or cannot start resolves with an error.
export function askProgram(request, runtime) {
  return new Promise((resolve) => {
    let port;
    try {
      port = runtime.connectNative(HOST_NAME);
    } catch (error) {
      resolve({ result: "error", message: messageOf(error, "无法启动网址管理软件") });
      return;
    }
    let answered = false;
    const finish = (answer) => {
      if (answered) return;
      answered = true;
      try {
        port.disconnect();
      } catch {
        // already closed by the other side
      }
      resolve(answer);
    };
    port.onMessage.addListener((answer) => finish(answer));
    // Firefox puts the reason on the port, Chromium in runtime.lastError.
    port.onDisconnect.addListener((closed) => {
      const reason = closed?.error ?? runtime.lastError;
      finish({ result: "error", message: messageOf(reason, "网址管理软件没有回答") });
    });
    port.postMessage(request);
  });
}

// What the button shows for an answer.
export function outcomeDisplay(answer) {
  switch (answer?.result) {
    case "saved":
      return { badge: "✓", color: "#2e7d32", title: "已添加到网址管理" };
    case "cancelled":
      return { badge: "–", color: "#757575", title: "未添加：已取消" };
    case "error":
      return { badge: "!", color: "#c62828", title: `添加失败：${answer.message || "未知错误"}` };
    default:
      return { badge: "!", color: "#c62828", title: "添加失败：网址管理软件的回答无法识别" };
  }
}

// Sends the request and gives what to show. A page without an address (a new tab, or
// one whose address the browser does not hand out) is not sent at all.
export async function addAndDescribe(request, runtime) {
  if (!request.url) {
    return outcomeDisplay({ result: "error", message: "此页面没有可添加的网址" });
  }
  return outcomeDisplay(await askProgram(request, runtime));
}

// Shows the outcome on the button of the tab it belongs to.
export async function showOutcome(action, tabId, display) {
  const where = tabId === undefined ? {} : { tabId };
  await action.setBadgeBackgroundColor({ ...where, color: display.color });
  await action.setBadgeText({ ...where, text: display.badge });
  await action.setTitle({ ...where, title: display.title });
}
