// Traces written by hand for the tests: lines joined with CR LF as the monitor
// writes them, and a command run on a trace in memory.
#pragma once

#include <sstream>
#include <string>
#include <string_view>

#include "Commands.h"

// The text with every "\n" turned into CR LF.
inline std::string Crlf(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

struct CommandOutput {
    int status;
    std::string out;
};

template <typename Command>
CommandOutput RunOn(Command command, const std::string& trace) {
    CTraceReader reader(trace);
    std::ostringstream out;
    ReadProblem problem;
    int status = command(reader, out, problem);
    return {status, out.str() + problem.text};
}

// A triplet line alone: its result follows later (TripletResult).
inline std::string TripletLine(int number, std::string_view triplet, std::string_view label = "APP") {
    char head[32];
    snprintf(head, sizeof(head), "[%05d] [", number);
    return Crlf(head + std::string(label) + "] " + std::string(triplet) + "\n");
}

// The result lines of a record, its structure and its state.
inline std::string TripletResult(std::string_view rc, int state, std::string_view structure = "") {
    std::string text = "        Return Code = [" + std::string(rc) + "]\npData   = <0x00001000>\n" + std::string(structure);
    if (rc == "TWRC_FAILURE") text += "*** Inspect Error Status Start ***\n*** Inspect Error Status End   ***\n";
    else text += "\nTWAIN Status = [" + std::to_string(state) + "]\n";
    return Crlf(text);
}

// One triplet's record with an empty structure: the result lines and the state.
inline std::string Record(int number, std::string_view triplet, std::string_view rc, int state,
                          std::string_view structure = "") {
    return TripletLine(number, triplet) + TripletResult(rc, state, structure);
}

// A record of the source's call to the manager, to the application twhost.
inline std::string SourceRecord(int number, std::string_view triplet, int state) {
    return TripletLine(number, triplet, "DS") + TripletResult("TWRC_SUCCESS", state, "To      = [twhost]\n");
}
