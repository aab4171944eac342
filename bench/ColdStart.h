#pragma once
// Starts the window program once and measures it from process start to its window shown.

#include <string>

struct ColdStart
{
    double shownMs = 0;    // process start until the window has painted with its rows
    double creationMs = 0; // inside the program: creating the window, its search included
    double searchMs = 0;   // then a search by the window's search button
    int rows = -1;         // rows listed when the window was shown
    int rowsAgain = -1;    // rows listed by that search
    double peakRssMb = 0;  // the process's peak resident memory
    std::string problem;   // why there are no figures; empty when there are
};

// Runs program with the benchmark hook (TCPMOD_BENCH_REPORT) and waits for it to end. Under
// no display it uses Qt's offscreen platform.
ColdStart runColdStart(const std::string& program);
