// Fuzz target: the client search over a drive C: laid out from the input in
// a temporary folder: any names, depths, name lengths and attribute words.
// The result must be what a depth-first walk of that tree gives.
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/scratch_folder.h"
#include "hardening/app_state_guard.h"
#include "host_control.h"
#include "locator/client_search.h"

namespace {

/* Every ASCII character a file name may hold. Two siblings whose names
 * differ only in case would be one name to the platform: they are not
 * made. */
const char kNameCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789._-~ !$#%&'()+,;=@[]^`{}";
/* Folder, read-only, hidden, system, archive, file, link, and mixtures. */
const DWORD kAttributeWords[] = { 0x10, 0x11, 0x12, 0x14, 0x30, 0x20, 0x21, 0x410, 0x80, 0x16, 0x01, 0x00 };
const size_t kMaxEntries = 48;

struct Node {
    std::string name;
    bool folder = false;
    DWORD word = 0; /* what the listing gives */
    std::vector<Node> children;
};

struct Input {
    const uint8_t *data;
    size_t size;
    bool Empty() const { return size == 0; }
    uint8_t Byte()
    {
        if (size == 0)
            return 0;
        --size;
        return *data++;
    }
};

std::string Upper(std::string text)
{
    for (char &c : text)
        c = (char)toupper((unsigned char)c);
    return text;
}

std::string NewName(Input *in, uint8_t op)
{
    if (op & 0x04)
        return op & 0x08 ? "waol.exe" : "WAOL.EXE";
    /* Long names reach the 259-character limit within a few levels. */
    size_t length = in->Byte();
    if (length == 0)
        length = 1;
    std::string name;
    for (size_t i = 0; i < length; ++i) {
        uint8_t pick = in->Empty() ? (uint8_t)i : in->Byte();
        name += kNameCharacters[pick % (sizeof kNameCharacters - 1)];
    }
    /* The platform drops trailing dots and spaces from a name it is given. */
    while (!name.empty() && (name.back() == '.' || name.back() == ' '))
        name.pop_back();
    return name;
}

bool HasSibling(const Node &folder, const std::string &name)
{
    for (const Node &child : folder.children) {
        if (Upper(child.name) == Upper(name))
            return true;
    }
    return false;
}

Node ReadTree(Input *in)
{
    Node root;
    root.folder = true;
    std::vector<Node *> stack{ &root };
    size_t entries = 0;
    while (!in->Empty() && entries < kMaxEntries) {
        uint8_t op = in->Byte();
        if ((op & 3) == 2) {
            if (stack.size() > 1)
                stack.pop_back();
            continue;
        }
        Node node;
        node.folder = (op & 3) == 0 || ((op & 3) == 3 && (op & 0x40));
        node.name = NewName(in, op);
        node.word = node.folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
        if (node.name[0] == '.')
            node.word |= FILE_ATTRIBUTE_HIDDEN;
        if (op & 0x10)
            node.word = kAttributeWords[in->Byte() % (sizeof kAttributeWords / sizeof kAttributeWords[0])] |
                        0x80000000u; /* marks a word the layer is told to give */
        if (node.name.empty() || node.name == "." || node.name == ".." || HasSibling(*stack.back(), node.name))
            continue;
        ++entries;
        stack.back()->children.push_back(node);
        if (node.folder && (op & 0x20))
            stack.push_back(&stack.back()->children.back());
    }
    return root;
}

/* Lays the tree out below `posix`; returns FALSE where the host cannot hold
 * it, so that the walk is compared only with what was made. */
void LayOut(std::vector<Node> *children, const std::string &posix, const std::string &dos)
{
    for (auto it = children->begin(); it != children->end();) {
        std::string path = posix + "/" + it->name;
        bool made = path.size() < 4000 &&
                    (it->folder ? mkdir(path.c_str(), 0755) == 0 : std::ofstream(path).good());
        if (!made) {
            it = children->erase(it);
            continue;
        }
        std::string dosPath = dos + it->name;
        if (it->word & 0x80000000u) {
            it->word &= ~0x80000000u;
            if (!HostFixFindAttributes(dosPath.c_str(), it->word))
                abort();
        }
        if (it->folder)
            LayOut(&it->children, path, dosPath + "\\");
        ++it;
    }
}

/* The search's contract: depth first in the listing's order (names by
 * their upper-cased form), only plain folders entered, dot-named ones
 * skipped, nothing longer than 259 characters built, the last match kept. */
void ExpectedWalk(const Node &folder, const std::string &dosFolder, std::string *result)
{
    if (dosFolder.size() + 3 > 259)
        return;
    std::vector<const Node *> order;
    for (const Node &child : folder.children)
        order.push_back(&child);
    std::sort(order.begin(), order.end(),
              [](const Node *a, const Node *b) { return Upper(a->name) < Upper(b->name); });
    for (const Node *child : order) {
        std::string path = dosFolder + child->name;
        if (path.size() > 259)
            continue;
        if (child->word == FILE_ATTRIBUTE_DIRECTORY) {
            if (child->name[0] != '.')
                ExpectedWalk(*child, path + "\\", result);
        } else if (Upper(child->name) == "WAOL.EXE") {
            *result = path;
        }
    }
}

} // namespace

TOVRIK_FUZZ_TARGET(drive_search)
{
    Input in{ data, size };
    Node root = ReadTree(&in);

    const std::string &drive = ScratchFolder("drive");
    std::filesystem::remove_all(drive + "/c");
    mkdir((drive + "/c").c_str(), 0755);
    HostResetLayer();
    HostSetDriveC((drive + "/c").c_str());
    LayOut(&root.children, drive + "/c", "C:\\");

    AppStateGuard guard;
    FindClientOnDrive();
    /* Each match replaces the one before, so the path may be rewritten. */
    std::string fault = guard.Fault({}, { APP_CLIENT_PATH });
    FuzzCheck(fault.empty(), fault.c_str());
    FuzzCheck(HostOpenFindListings() == 0, "every listing is closed");

    std::string expected;
    ExpectedWalk(root, "C:\\", &expected);
    FuzzCheck(expected == g_app.settings.clientPath, "the last client in walk order is found");
    HostResetLayer();
    return 0;
}
