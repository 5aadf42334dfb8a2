// The editor's prover: the solver on its own thread, from the module the page compiled. The page
// cancels a proof by ending this worker and starting a fresh one.
'use strict';
importScripts('tools.js');

var tools = null;
// A small ceiling first, so small levels take little memory; the larger one only when that is
// not enough (the search starts again: it keeps nothing between runs).
var ceilings = [1 << 21, 1 << 24];

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
  tools.then(function (t) {
    var start = performance.now(), answer = null;
    for (var i = 0; i < ceilings.length; ++i) {
      postMessage({ progress: 'ceiling ' + ceilings[i] + ' states' });
      answer = JSON.parse(t.ccall('toolsProve', 'string', ['string', 'number'], [job.text, ceilings[i]]));
      if (answer.result !== 'limit') break;
    }
    answer.ceiling = ceilings[i < ceilings.length ? i : ceilings.length - 1];
    answer.seconds = (performance.now() - start) / 1000;
    postMessage({ done: answer });
  });
};
