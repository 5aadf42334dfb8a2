// The shipped walkthrough, a demo compiled into the game; made at build time from the levels'
// route files, so a new route needs no code change.
#pragma once

extern const char walkthroughDemoText[];
