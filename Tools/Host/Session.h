// A session: the triplets an application sends a data source, in order, read from
// a script and then sent one by one through the source's DS_Entry, the way a Data
// Source Manager would pass them on.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "TwainTypes.h"

struct Expectation {
    enum class Kind {
        NotFailure,  // no "->": anything but TWRC_FAILURE
        Exact,       // "-> TWRC_x", and for DAT_STATUS optionally the condition code
        Any,         // "-> any"
    };
    Kind kind = Kind::NotFailure;
    TW_UINT16 rc = TWRC_SUCCESS;
    bool checkCondition = false;
    TW_UINT16 condition = TWCC_SUCCESS;
};

struct SessionStep {
    enum class Kind {
        Triplet,
        WaitXferReady,  // DAT_EVENT/MSG_PROCESSEVENT until the source reports MSG_XFERREADY
        MemXfer,        // DG_IMAGE/DAT_IMAGEMEMXFER/MSG_GET until TWRC_XFERDONE
    };
    int line = 0;
    Kind kind = Kind::Triplet;
    TW_UINT32 DG = 0;
    TW_UINT16 DAT = 0;
    TW_UINT16 MSG = 0;
    // The start of the triplet's data as the script gives it; the rest is zero.
    std::vector<unsigned char> data;
    // DAT_CAPABILITY: the container that goes into a new handle for each call.
    std::vector<unsigned char> container;
    Expectation expect;
};

// The steps of a script, or false with every error in error, one line each:
// "line N: what is wrong", naming the word at fault. Nothing of a script with an
// error is run.
bool ParseSessionScript(std::string_view text, std::vector<SessionStep>& steps, std::string& error);

class CHostSession {
public:
    // Prints one line per triplet to out.
    CHostSession(DSENTRYPROC entry, FILE* out);

    // Sends every step; the result is the number of triplets that did not answer
    // as the script expected.
    int Run(const std::vector<SessionStep>& steps);

    // After a triplet answers TWRC_FAILURE, ask DG_CONTROL/DAT_STATUS/MSG_GET and
    // show its condition code on the triplet's line. The question is no step of
    // the script and expects nothing; it is left out where the script's next step
    // asks the status itself.
    void AskStatusAfterFailure(bool ask) { m_bAskStatus = ask; }

    // The identity the session sends as origin of every triplet.
    const TW_IDENTITY& Application() const { return m_application; }

private:
    // Buffer size for memory transfers before the source has told its preferred one.
    static constexpr TW_UINT32 kDefaultStripSize = 64 * 1024;
    // The largest buffer the host gives a strip, whatever the source prefers.
    static constexpr TW_UINT32 kMaxStripSize = 16 * 1024 * 1024;
    // Bounds for the loops: a source that never ends one must not hang the host.
    static constexpr int kMaxEventPolls = 100;
    static constexpr int kMaxStrips = 10000;

    TW_UINT16 Send(const SessionStep& step, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, std::string& detail);
    // The report line of one triplet; a complaint counts as a mismatch.
    void Report(const SessionStep& step, TW_UINT32 DG, TW_UINT16 DAT, TW_UINT16 MSG, TW_UINT16 rc,
                const std::string& detail, const std::string& complaint);
    void WaitXferReady(const SessionStep& step);
    void MemXfer(const SessionStep& step);

    DSENTRYPROC m_entry;
    FILE* m_out;
    TW_IDENTITY m_application;
    // What DAT_IDENTITY/MSG_GET answered: the identity sent to open and close.
    TW_IDENTITY m_source;
    TW_UINT32 m_nStripSize;
    // The platform event that MSG_PROCESSEVENT hands over: none happened.
    unsigned char m_eventRecord[64];
    // What the last triplet left behind for the checks.
    TW_UINT16 m_lastCondition;
    TW_UINT16 m_reportedCondition = TWCC_SUCCESS;  // the last DAT_STATUS answer, for DAT_STATUSUTF8
    TW_UINT16 m_lastEventMessage;
    TW_UINT16 m_lastCap;
    int m_nMismatches;
    bool m_bAskStatus;
    // The step after the one being run, for the status question.
    const SessionStep* m_pNextStep;
};
