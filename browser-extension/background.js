import {
  MENU_ID,
  MENU_TITLE,
  addAndDescribe,
  requestForMenu,
  requestForTab,
  showOutcome,
} from "./messaging.js";

async function addToProgram(request, tab) {
  const display = await addAndDescribe(request, chrome.runtime);
  await showOutcome(chrome.action, tab?.id, display);
  return display;
}

function onButtonClicked(tab) {
  return addToProgram(requestForTab(tab), tab);
}

function onMenuClicked(info, tab) {
  if (info.menuItemId !== MENU_ID) return Promise.resolve(null);
  return addToProgram(requestForMenu(info, tab), tab);
}

chrome.runtime.onInstalled.addListener(() => {
  chrome.contextMenus.create({ id: MENU_ID, title: MENU_TITLE, contexts: ["page", "link"] });
});
chrome.action.onClicked.addListener(onButtonClicked);
chrome.contextMenus.onClicked.addListener(onMenuClicked);

// The two handlers, reachable from the background's developer console (and by automated
// checks through the browser's debugging protocol); nothing in the extension calls these.
globalThis.vestrane = { onButtonClicked, onMenuClicked };
