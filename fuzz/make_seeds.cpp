// Writes the seed corpus: the structures of a demo scan session, one input each.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "TwainTypes.h"

namespace {

std::string g_dir;
int g_count = 0;

void Write(uint32_t dg, uint16_t dat, uint16_t msg, uint16_t rc, uint8_t state, const void* data,
           size_t dataSize, const std::vector<unsigned char>& container = {}) {
    FuzzHeader h = {dg, dat, msg, rc, state, 0, static_cast<uint32_t>(dataSize),
                    static_cast<uint32_t>(container.size())};
    std::vector<unsigned char> bytes(sizeof(h));
    memcpy(bytes.data(), &h, sizeof(h));
    const unsigned char* p = static_cast<const unsigned char*>(data);
    bytes.insert(bytes.end(), p, p + dataSize);
    bytes.insert(bytes.end(), container.begin(), container.end());
    std::string path = g_dir + "/seed" + std::to_string(++g_count);
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

template <typename T>
void Write(uint32_t dg, uint16_t dat, uint16_t msg, uint16_t rc, uint8_t state, const T& data) {
    Write(dg, dat, msg, rc, state, &data, sizeof(data));
}

template <typename T>
void Append(std::vector<unsigned char>& out, const T& value) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(&value);
    out.insert(out.end(), p, p + sizeof(value));
}

void Capability(uint16_t msg, uint16_t cap, uint16_t conType, const std::vector<unsigned char>& container) {
    TW_CAPABILITY c = {cap, conType, nullptr};
    Write(DG_CONTROL, DAT_CAPABILITY, msg, TWRC_SUCCESS, 4, &c, sizeof(c), container);
}

std::vector<unsigned char> Enumeration(uint16_t itemType, uint32_t current, const std::vector<uint32_t>& items,
                                       size_t itemSize) {
    std::vector<unsigned char> out;
    TW_ENUMERATION e = {itemType, static_cast<TW_UINT32>(items.size()), current, 0, {0}};
    out.resize(offsetof(TW_ENUMERATION, ItemList));
    memcpy(out.data(), &e, out.size());
    for (uint32_t v : items) {
        const unsigned char* p = reinterpret_cast<const unsigned char*>(&v);
        out.insert(out.end(), p, p + itemSize);
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s <corpus-directory>\n", argv[0]);
        return 2;
    }
    g_dir = argv[1];

    TW_IDENTITY identity = {};
    identity.Version = {2, 1, TWLG_ENGLISH_USA, TWCY_USA, "2.1 build 7"};
    identity.ProtocolMajor = 2;
    identity.ProtocolMinor = 1;
    identity.SupportedGroups = DG_CONTROL | DG_IMAGE;
    strcpy(identity.Manufacturer, "NORVA");
    strcpy(identity.ProductFamily, "Lumora");
    strcpy(identity.ProductName, "Lumora 9000F");
    Write(DG_CONTROL, DAT_IDENTITY, MSG_GET, TWRC_SUCCESS, 3, identity);
    Write(DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, TWRC_SUCCESS, 3, identity);
    Write(DG_CONTROL, DAT_PARENT, MSG_OPENDSM, TWRC_SUCCESS, 2, identity);

    std::vector<unsigned char> caps;
    Append(caps, TW_UINT16(TWTY_UINT16));
    Append(caps, TW_UINT16(0));
    Append(caps, TW_UINT32(4));
    for (TW_UINT16 cap : {CAP_XFERCOUNT, ICAP_PIXELTYPE, ICAP_XRESOLUTION, CAP_KQ_VERSION}) Append(caps, cap);
    Capability(MSG_GET, CAP_SUPPORTEDCAPS, TWON_ARRAY, caps);
    Capability(MSG_GET, ICAP_PIXELTYPE, TWON_ENUMERATION, Enumeration(TWTY_UINT16, 2, {0, 1, 2}, 2));
    Capability(MSG_GET, ICAP_XRESOLUTION, TWON_ENUMERATION,
               Enumeration(TWTY_FIX32, 1, {75u << 0, 100u, 150u, 300u}, 4));
    std::vector<unsigned char> range;
    TW_RANGE r = {TWTY_FIX32, 0xFC18, 1000, 1, 0, 0};
    Append(range, r);
    Capability(MSG_GET, ICAP_BRIGHTNESS, TWON_RANGE, range);
    std::vector<unsigned char> one;
    TW_ONEVALUE o = {TWTY_STR255, 0};
    Append(one, o);
    one.resize(4 + 256, 'a');
    Capability(MSG_GET, CAP_AUTHOR, TWON_ONEVALUE, one);
    Capability(MSG_GET, ICAP_FRAMES, TWON_ENUMERATION, Enumeration(TWTY_FRAME, 0, {0, 0, 8, 0, 11, 0}, 4));

    TW_STATUS status = {TWCC_CAPUNSUPPORTED, 0};
    Write(DG_CONTROL, DAT_STATUS, MSG_GET, TWRC_SUCCESS, 4, status);
    TW_USERINTERFACE ui = {0, 0, nullptr};
    Write(DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, TWRC_SUCCESS, 4, ui);
    TW_EVENT event = {nullptr, MSG_XFERREADY};
    Write(DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, TWRC_DSEVENT, 5, event);
    TW_IMAGEINFO info = {{100, 0}, {100, 0}, 850, 1100, 3, {8, 8, 8}, 24, 0, TWPT_RGB, TWCP_NONE};
    Write(DG_IMAGE, DAT_IMAGEINFO, MSG_GET, TWRC_SUCCESS, 6, info);
    TW_IMAGELAYOUT layout = {{{0, 0}, {0, 0}, {8, 0x8000}, {11, 0}}, 1, 1, 1};
    Write(DG_IMAGE, DAT_IMAGELAYOUT, MSG_GET, TWRC_SUCCESS, 4, layout);
    TW_SETUPMEMXFER setup = {16384, 1048576, 65536};
    Write(DG_CONTROL, DAT_SETUPMEMXFER, MSG_GET, TWRC_SUCCESS, 6, setup);
    TW_IMAGEMEMXFER strip = {TWCP_NONE, 2550, 850, 25, 0, 0, 63750, {0x9, 65536, nullptr}};
    Write(DG_IMAGE, DAT_IMAGEMEMXFER, MSG_GET, TWRC_SUCCESS, 6, strip);
    TW_PENDINGXFERS pending = {0, 0};
    Write(DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, TWRC_SUCCESS, 7, pending);
    TW_JPEGCOMPRESSION jpeg = {};
    jpeg.ColorSpace = TWPT_RGB;
    jpeg.QuantTable[0].Length = 64;
    Write(DG_IMAGE, DAT_JPEGCOMPRESSION, MSG_GET, TWRC_SUCCESS, 4, jpeg);
    TW_CIECOLOR cie = {};
    cie.ColorSpace = TWPT_CIEXYZ;
    Write(DG_IMAGE, DAT_CIECOLOR, MSG_GET, TWRC_SUCCESS, 4, cie);
    TWKQ_HARDWAREINFO hw = {};
    hw.ModelID = 0x1a;
    hw.ProductName[0] = 6;
    memcpy(hw.ProductName + 1, "Lumora", 6);
    strcpy(hw.ROMVersion, "1.02");
    Write(DG_CONTROL, DAT_KQ_HARDWAREINFO, MSG_GET, TWRC_SUCCESS, 4, hw);
    TWKQ_USMINFO usm = {300, 1, 0, {100, 3, 0}, {{0, 16, 255, 240}, {0, 0, 255, 255}, 8}};
    Write(DG_CONTROL, DAT_KQ_USMINFO, MSG_GET, TWRC_SUCCESS, 4, usm);
    TWKQ_AUTOEXPOSURE ae = {0x1234, 0, 0, 850, 1100, 0, 1, {2, 0x3333}, 128};
    Write(DG_CONTROL, DAT_KQ_AUTOEXPOSURE, MSG_GET, TWRC_SUCCESS, 4, ae);

    // TWAIN 2: the structures with handles get their blocks as the container bytes.
    TW_ENTRYPOINT entry = {sizeof(TW_ENTRYPOINT), nullptr, nullptr, nullptr, nullptr, nullptr};
    Write(DG_CONTROL, DAT_ENTRYPOINT, MSG_SET, TWRC_SUCCESS, 3, entry);
    TW_CALLBACK2 callback = {nullptr, 0x1234, MSG_NULL};
    Write(DG_CONTROL, DAT_CALLBACK2, MSG_REGISTER_CALLBACK, TWRC_SUCCESS, 4, callback);
    TW_DEVICEEVENT device = {};
    device.Event = TWDE_DEVICEREADY;
    strcpy(device.DeviceName, "Lumora 9000F");
    Write(DG_CONTROL, DAT_DEVICEEVENT, MSG_GET, TWRC_SUCCESS, 4, device);
    const std::string text = "The scanner does not have this feature.";
    TW_STATUSUTF8 utf8 = {{TWCC_CAPUNSUPPORTED, 0}, static_cast<TW_UINT32>(text.size() + 1), nullptr};
    Write(DG_CONTROL, DAT_STATUSUTF8, MSG_GET, TWRC_SUCCESS, 4, &utf8, sizeof(utf8),
          std::vector<unsigned char>(text.c_str(), text.c_str() + text.size() + 1));
    const std::string command = "{\"commands\":[{\"command\":\"createSession\"}]}";
    TW_TWAINDIRECT direct = {sizeof(TW_TWAINDIRECT), 0, nullptr, static_cast<TW_UINT32>(command.size()), nullptr, 0};
    Write(DG_CONTROL, DAT_TWAINDIRECT, MSG_GET, TWRC_SUCCESS, 4, &direct, sizeof(direct),
          std::vector<unsigned char>(command.begin(), command.end()));
    std::vector<unsigned char> descriptors;
    for (TW_UINT32 i = 0; i < 2; ++i) Append(descriptors, TW_FILTER_DESCRIPTOR{32, i, 60, 0, 100, 0, 100, 1});
    TW_FILTER filter = {sizeof(TW_FILTER), 2, 8, 0, nullptr};
    Write(DG_IMAGE, DAT_FILTER, MSG_GET, TWRC_SUCCESS, 4, &filter, sizeof(filter), descriptors);
    printf("%d seeds in %s\n", g_count, argv[1]);
    return 0;
}
