// The editor's prover: the solver on its own thread, from the module the page compiled. The page
// cancels a proof by ending this worker and starting a fresh one.
'use strict';
importScripts('tools.js');

var tools = null;
// Nodes are reserved for this many states, but only those a search reaches take memory.
var ceiling = 1 << 24;

onmessage = function (event) {
  var job = event.data;
  if (job.module) {
    tools = FoldbotTools({
      instantiateWasm: function (imports, done) {
        WebAssembly.instantiate(job.module, imports).then(function (instance) {
          done(instance, job.module);
        });
        return {};
      },
      print: function () {},
      // The search's line a depth: "depth 12: 3456 new, 7890 states".
      printErr: function (line) {
        postMessage({ progress: line });
      },
    });
    return;
  }
  if (job.hint) {
    // The game page's question: the map's text and the boards' states.
    tools.then(function (t) {
      var text = t.ccall('toolsHint', 'string', ['string', 'string'], [job.hint.text, job.hint.states]);
      postMessage({ hint: { id: job.hint.id, text: text } });
    });
    return;
  }
  tools.then(function (t) {
    var start = performance.now(), answer;
    try {
      answer = JSON.parse(t.ccall('toolsProve', 'string', ['string', 'number'], [job.text, ceiling]));
    } catch (e) {
      // An abort (memory the browser would not give, say) leaves the module unusable.
      postMessage({ done: { result: 'fault', message: String(e) }, spent: true });
      return;
    }
    answer.ceiling = ceiling;
    answer.seconds = (performance.now() - start) / 1000;
    postMessage({ done: answer });
  });
};
