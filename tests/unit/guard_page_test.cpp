// Every dispatched DAT rendered from the fewest bytes its renderer may read, placed
// at the very end of readable memory: a read one byte too far crashes the test.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "AnalyzerHarness.h"
#include "DispatchedDats.h"
#include "GuardPage.h"

namespace {

struct Fill {
    const char* name;
    unsigned char byte;
};

// Zeros give null handles and empty strings; 0xFF gives strings without a NUL,
// unknown constants, maximal counts and handles that are not live ones.
constexpr Fill kFills[] = {{"zeros", 0x00}, {"ones", 0xFF}, {"pattern", 0x5A}};

constexpr TW_UINT16 kMessages[] = {MSG_GET, MSG_SET, MSG_OPENDSM, MSG_PROCESSEVENT, MSG_ENDXFER};
constexpr TW_UINT16 kReturnCodes[] = {TWRC_SUCCESS, TWRC_FAILURE, TWRC_DSEVENT, TWRC_XFERDONE};

TEST(GuardPage, EveryDispatchedDatStaysInsideItsStructure) {
    for (const DispatchedDat& d : kDispatchedDats) {
        for (const Fill& fill : kFills) {
            // At the structure's own alignment the last byte read stands right before
            // the guard page, or its tail padding does.
            CGuardedBlock data(d.bytesRead ? d.bytesRead : 1, d.alignment);
            memset(data.data(), fill.byte, data.size());
            CGuarded<TW_IDENTITY> origin;
            memset(origin.get(), fill.byte, sizeof(TW_IDENTITY));
            for (TW_UINT16 msg : kMessages) {
                for (TW_UINT16 rc : kReturnCodes) {
                    for (int state : {3, 5, 6, 7}) {
                        CAnalyzerHarness h(state);
                        h.Triplet(DG_CONTROL, d.dat, msg, data.data());
                        std::string text = h.Params(DG_CONTROL, d.dat, msg, data.data(), rc, origin.get());
                        EXPECT_EQ(text.size(), h.text().KeptLength()) << d.dat << " " << fill.name;
                    }
                }
            }
        }
    }
}

TEST(GuardPage, NullDataIsNeverFollowed) {
    for (const DispatchedDat& d : kDispatchedDats) {
        for (TW_UINT16 msg : kMessages) {
            for (TW_UINT16 rc : kReturnCodes) {
                CAnalyzerHarness h(6);
                h.Triplet(DG_IMAGE, d.dat, msg, nullptr);
                std::string text = h.Params(DG_IMAGE, d.dat, msg, nullptr, rc, nullptr);
                // Only the result and state lines mention the null pointer.
                EXPECT_EQ(text.find("{"), std::string::npos) << d.dat << " " << msg << ": " << text;
            }
        }
    }
}

}  // namespace
