// Prints, as JSON, what EXPRESSION gives in the first page of a web engine's remote debugging
// port: node --experimental-websocket page_value.mjs PORT EXPRESSION
const [port, expression] = process.argv.slice(2);
const pages = await (await fetch(`http://127.0.0.1:${port}/json`)).json();
const page = pages.find((p) => p.type === 'page');
if (!page) process.exit(1);
const ws = new WebSocket(page.webSocketDebuggerUrl);
const timer = setTimeout(() => process.exit(1), 5000);
ws.onopen = () =>
  ws.send(JSON.stringify({ id: 1, method: 'Runtime.evaluate', params: { expression, returnByValue: true } }));
ws.onmessage = (message) => {
  const reply = JSON.parse(message.data);
  if (reply.id !== 1) return;
  console.log(JSON.stringify(reply.result?.result?.value ?? null));
  clearTimeout(timer);
  ws.close();
};
