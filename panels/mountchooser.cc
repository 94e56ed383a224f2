// The mount-point chooser: a list of the mounted file systems with their
// sizes; Enter takes the panel to the chosen one, Alt-E ejects its medium
// through the desktop's mount service.
#include <gio/gio.h>
#include <limits.h>
#include <unistd.h>

#include <algorithm>
#include <memory>

#include "console/dialog.h"
#include "console/keys.h"
#include "console/msgbox.h"
#include "console/win.h"
#include "fileops/query/mounts.h"
#include "fileops/query/paths.h"
#include "lib/fsname.h"
#include "lib/numfmt.h"
#include "lib/pathparts.h"
#include "panels/panel.h"
#include "panels/paneldisplay.h"
#include "panels/panelgeometry.h"

const char* mount_chooser_table = nullptr;

namespace {

constexpr int kSizeWidth = 7;
constexpr int kTypeWidth = 11;
constexpr int kFixedWidth = kTypeWidth + 2 * kSizeWidth + 4;  // with the blanks between columns
constexpr int kCtrlR = 18;
constexpr int kEjectSeconds = 15;

// The widths of the device and mount point columns in a row of width cells.
struct Columns {
    int device, mount_point;
    explicit Columns(int width) {
        int rest = std::max(10, width - kFixedWidth);
        device = rest * 2 / 5;
        mount_point = rest - device;
    }
};

Westring sized(uint64_t bytes) {
    return itoa_comma(static_cast<int64_t>(std::min<uint64_t>(bytes, INT64_MAX)), kSizeWidth).lpad(kSizeWidth);
}

class CMountListBox : public ListBoxBase {
public:
    CMountListBox(Dialog* dialog, int x, int y, int width, int height, CMountPointList& list, int& selected)
        : ListBoxBase(dialog, x, y, width, height, list.count(), selected, 0), list_(list) {}

    void DrawLine(int line, int item, unsigned char attr) override {
        const TMountPoint* m = static_cast<const CMountPointList&>(list_)[item];
        if (!m) return PutLine(line, Westring(), attr);
        Columns c(width_);
        Westring row = m->device.pad(c.device) + L" " + m->mount_point.pad(c.mount_point) + L" " +
                       m->fs_type.pad(kTypeWidth) + L" " + sized(m->total_bytes) + L" " + sized(m->free_bytes);
        PutLine(line, row, attr);
    }
    Westring SeekString(int item) override {
        const TMountPoint* m = static_cast<const CMountPointList&>(list_)[item];
        return m ? m->mount_point : Westring();
    }

private:
    CMountPointList& list_;
};

bool load(CMountPointList& list, bool all) {
    list.DestroyAll();
    return mount_chooser_table ? list.Load(1, all, mount_chooser_table) : list.Load(1, all);
}

// Takes the panel to a directory with the cursor on its first entry.
void change_panel_dir(PANEL* panel, const Westring& dir) {
    PANEL* other = other_panel(panel);
    panel->prev_dir = panel->dir;
    panel->prev_pos[0] = panel->read_pos[0];
    panel->prev_pos[1] = panel->read_pos[1];
    panel->dir = dir;
    if (panel->type == PANEL_FILES && panel->detail == DETAIL_TREE)
        panel->detail = other && other->detail != DETAIL_TREE ? other->detail : DETAIL_FULL;
    const bool was_visible = panel->visible;
    panel->visible = 1;
    read_panel(panel);
    panel->top = panel->cur = 0;
    if (was_visible) paint_panel(panel);
    else make_panel(panel, side_of(panel));
}

// ---- ejecting through the desktop's mount service

// The answer of one eject request. One that came too late finds its
// request abandoned and cleans up after itself.
struct EjectRequest {
    bool done = false;
    bool abandoned = false;
    bool ok = false;
    Westring message;
};

void eject_finished(GObject* source, GAsyncResult* result, gpointer data) {
    auto* request = static_cast<EjectRequest*>(data);
    GError* failure = nullptr;
    const gboolean ok = g_mount_eject_with_operation_finish(G_MOUNT(source), result, &failure);
    if (!request->abandoned) {
        request->ok = ok;
        if (failure) request->message = Westring(failure->message);
        request->done = true;
    } else {
        delete request;
    }
    if (failure) g_error_free(failure);
}

// The program's own main context for the answers of the mount service, so
// that waiting for one runs nothing else.
GMainContext* eject_context() {
    static GMainContext* context = g_main_context_new();
    return context;
}

enum class EjectResult { Ejected, Failed, NoAnswer };

EjectResult eject(const Westring& mount_point, Westring& message) {
    GMainContext* context = eject_context();
    g_main_context_push_thread_default(context);
    GFile* file = g_file_new_for_path(EncodeFileName(mount_point).c_str());
    GError* failure = nullptr;
    GMount* mount = g_file_find_enclosing_mount(file, nullptr, &failure);
    g_object_unref(file);
    if (!mount) {
        message = failure ? Westring(failure->message) : Westring(L"no mount");
        if (failure) g_error_free(failure);
        g_main_context_pop_thread_default(context);
        return EjectResult::Failed;
    }
    auto* request = new EjectRequest;
    g_mount_eject_with_operation(mount, G_MOUNT_UNMOUNT_NONE, nullptr, nullptr, eject_finished, request);
    const gint64 deadline = g_get_monotonic_time() + gint64(kEjectSeconds) * G_USEC_PER_SEC;
    while (!request->done && g_get_monotonic_time() < deadline) {
        if (!g_main_context_iteration(context, FALSE)) g_usleep(20000);
    }
    EjectResult result = EjectResult::NoAnswer;
    if (request->done) {
        result = request->ok ? EjectResult::Ejected : EjectResult::Failed;
        message = request->message;
        delete request;
    } else {
        request->abandoned = true;  // the late answer frees it
    }
    g_object_unref(mount);
    g_main_context_pop_thread_default(context);
    return result;
}

Westring working_directory() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) ? DecodeFileName(buffer) : Westring();
}

// Ejects the medium mounted at mount_point; true when it is gone. The
// working directory leaves it first and comes back when the eject fails.
bool eject_medium(const Westring& mount_point) {
    const Westring old_directory = working_directory();
    const Westring above = ParentDirectory(mount_point);
    bool moved = false;
    if (!old_directory.empty() && IsBelow(mount_point, old_directory))
        moved = chdir(EncodeFileName(above).c_str()) == 0;

    Westring message;
    EjectResult result;
    {
        Win notice(-1, -2, 15, 5, colours[CLR_MESSAGES], colours[CLR_MESSAGES]);
        notice.PutCentre(1, L"Ejecting...");
        result = eject(mount_point, message);
    }
    if (result == EjectResult::Ejected) return true;
    if (result == EjectResult::NoAnswer) error(L"eject failed", Westring(), MB_OK);
    else error(L"Error ejecting", message, MB_OK);
    if (moved && chdir(EncodeFileName(old_directory).c_str()) != 0) {
        // The old directory went away meanwhile; stay above the mount point.
    }
    return false;
}

// Runs the dialog; true with the directory the panel is to show.
bool choose(PANEL* panel, bool all, Westring& target) {
    CMountPointList list;
    load(list, all);
    int selected = std::max(0, list.FindPos(panel->dir));

    int columns = 80, rows = 25;
    console->GetSize(columns, rows);
    const int width = std::min(columns - 2, 78);
    const int list_height = std::clamp(list.count(), 3, std::max(3, rows - 8));
    const int inner = width - 2;
    const int list_width = inner - 2;

    Dialog dialog(-1, -2, width, list_height + 4, colours[CLR_MESSAGES]);
    const Columns c(list_width);
    const Westring heading = Westring(L"Device").pad(c.device) + L" " + Westring(L"Mount Point").pad(c.mount_point) +
                             L" " + Westring(L"File System").pad(kTypeWidth) + L" " + L"   Size" + L" " + L"   Free";
    dialog.puts_at(1, 0, heading.c_str(), colours[CLR_COLUMN_HEADING]);
    const Westring title(L" Mount Points "), hint(L" Alt-E=Eject ");
    dialog.puts_at((inner - title.strlen()) / 2, -1, title.c_str());
    dialog.puts_at((inner - hint.strlen()) / 2, list_height + 2, hint.c_str());
    const int box = dialog.AddElement(new CMountListBox(&dialog, 1, 1, list_width, list_height, list, selected), 1);
    dialog.AddExitKey(kCtrlR);
    dialog.AddExitKey(alt_key('e'));
    dialog.ChangeFocus(box);

    auto reload = [&] {
        load(list, all);
        selected = std::clamp(selected, 0, std::max(0, list.count() - 1));
        Event count;
        count.type = Event::SetCount;
        count.key = list.count();
        dialog.SendMessage(box, count);
    };

    for (;;) {
        // The list follows the mount table while the dialog is open.
        const int result = dialog.Process(1000);
        if (result == 0) {
            if (list.IsStale()) reload();
            continue;
        }
        if (result == kCtrlR) {
            reload();
            continue;
        }
        const TMountPoint* chosen = static_cast<const CMountPointList&>(list)[selected];
        if (result == alt_key('e')) {
            if (chosen && eject_medium(chosen->mount_point)) {
                target = ParentDirectory(chosen->mount_point);
                return true;
            }
            reload();
            continue;
        }
        if (result == 13 && chosen) {
            target = chosen->mount_point;
            return true;
        }
        return false;
    }
}

}  // namespace

void ChooseMountPoint(PANEL* panel, bool all) {
    if (!console) return;
    Westring target;
    if (choose(panel, all, target)) change_panel_dir(panel, target);
}
