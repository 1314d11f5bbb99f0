#pragma once

// Marks the thread that runs an application's callback: the manager refuses any
// call made from there, because the application thread that will take the
// transfer may hold the manager at that moment and would wait on this thread.

inline thread_local bool t_insideDsmCallback = false;
