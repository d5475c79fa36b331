// One end-to-end scenario: the stage set up (log directory, which driver bundle),
// then, in a fresh child process, the monitor module loaded the way a manager
// loads it, a session sent through its DS_Entry, and the module unloaded. The
// parent gets back everything the child saw and left behind.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "TwainTypes.h"

enum class WrapperInstall {
    Probe,                    // the probe bundle: records calls, answers scripted codes
    ProbeWithoutFactory,      // a bundle whose executable has no CreateTwainWrapper
    ProbeStoringNothing,      // a factory that leaves the operator pointer null
    BundleWithoutExecutable,  // the bundle directory, nothing in Contents/MacOS
    NoBundle,                 // nothing at the bundle's location
    SubstituteDriver,         // the substitute scanner driver of this build
};

struct Scenario {
    WrapperInstall wrapper = WrapperInstall::Probe;
    bool logDirectory = true;
    // The loader lists no image but the program: the module cannot find itself.
    bool hideOwnImage = false;
    // The probe's answers, one per call ("0,1,5"); TWRC_SUCCESS after them. "abort"
    // instead of a code crashes the child on that call.
    std::string probeCodes;
    // The child ends by exit() with the module still loaded, instead of dlclose.
    bool unloadByExit = false;
    // What the probe says to the manager through the entry point it was handed
    // ("enable", "thread:N", "forever"; see probe_wrapper.cpp); nothing when empty.
    std::string probePost;
};

// The session's side, in the child: sends triplets and notes what it needs to.
class CChildSession {
public:
    explicit CChildSession(DSENTRYPROC entry) : m_entry(entry) {}
    TW_UINT16 Send(TW_IDENTITY* pOrigin, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, void* pData);
    void Note(const std::string& text) { m_facts.push_back("note " + text); }
    // The module's entry point itself, for calls that Send would not note down
    // (from threads of the session's own).
    DSENTRYPROC Entry() const { return m_entry; }

    std::vector<std::string> m_facts;  // "sent <call>", "code <rc>", "note <text>", in order

private:
    DSENTRYPROC m_entry;
};

struct ScenarioOutcome {
    // The child ran its session and unloaded the module without dying.
    bool completed = false;
    std::string failure;  // why not, when not
    // Of the module's own analyzer: its tracked state and line count.
    long long stateAfterLoad = -1, stateAfterSession = -1, linesAfterSession = -1;
    long long releasesBeforeUnload = -1;
    int releasesAtEnd = -1;  // once the child process is gone
    std::vector<std::string> sent;  // every call as FormatProbeCall writes it
    std::vector<TW_UINT16> returnCodes;  // what DS_Entry returned, in order
    std::vector<std::string> notes;
    // What the probe bundle wrote down.
    bool factoryCalled = false;
    std::string factoryName;
    std::vector<std::string> probeCalls;
    std::vector<std::string> probePosts;  // "posted rc=<code>", one per post that returned
    std::string stderrText;  // the child's, whole
    // The log directory's trace files; the trace is the only one's content.
    int traceFiles = 0;
    std::string trace;
};

ScenarioOutcome RunScenario(const Scenario& scenario, const std::function<void(CChildSession&)>& body);

// twhost run on the monitor module with the log directory present, as a process
// of its own.
struct HostOutcome {
    int exitCode = -1;
    std::string out, err;
    int traceFiles = 0;
    std::string trace;
};
HostOutcome RunHost(WrapperInstall wrapper, const std::string& session);
// twhost with the arguments given (the module's path among them, where wanted).
HostOutcome RunHostWith(WrapperInstall wrapper, const std::vector<std::string>& arguments);

// The trace cut into its pieces: a piece starts with a triplet line or with the
// return code line of a parameter text and runs to the next start. Each piece,
// with how often it came.
std::map<std::string, int> TracePieces(const std::string& trace);

// "pData   = <0x...>" of a pointer, as the trace shows it.
std::string DataPointerLine(const void* p);

// The trace with every "<0x...>" (pointers, handles: the run's own) as "<>".
std::string WithoutPointers(const std::string& trace);
