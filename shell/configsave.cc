#include "shell/configsave.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/archivers.h"
#include "config/config.h"
#include "console/console.h"
#include "lib/fsname.h"
#include "lib/oserror.h"
#include "shell/configdirectives.h"
#include "shell/configfile.h"
#include "shell/configread.h"
#include "shell/inifile.h"

namespace {

// Writes lines ended by CR LF; the first failure sticks and later lines are
// not tried.
class CIniWriter {
public:
    explicit CIniWriter(StdFile& file) : file_(file) {}
    void Line(const char* text) {
        if (error_ != 0) return;
        error_ = save_step_fault(SAVE_WRITE);
        if (error_ == 0) error_ = file_.write(text, std::strlen(text));
        if (error_ == 0) error_ = file_.write("\r\n", 2);
    }
    void Line(const Estring& text) { Line(text.c_str()); }
    int error() const { return error_ != 0 ? error_ : file_.geterror(); }

private:
    StdFile& file_;
    int error_ = 0;
};


[[nodiscard]] int write_sections(StdFile& file) {
    for (int section = SECTION_ASSOCIATIONS; section <= SECTION_DIRECTORY_COLOURS; section++) {
        int result = WriteAssociationSet(section_associations(section), section, file);
        if (result != 0) return result;
    }
    CIniWriter out(file);
    out.Line(config_section_headers[SECTION_ENVIRONMENT]);
    const TObjectStore<RawEnvLine>& environment = raw_environment_lines();
    for (int i = 0; i < environment.count(); i++) out.Line(environment[i]->name + "=" + environment[i]->value);
    out.Line("");

    for (int i = 0; i < ARCHIVER_COUNT; i++) {
        out.Line(config_section_headers[i]);
        for (const ArchiverKey& key : archiver_keys) out.Line(Estring(key.name) + "=" + Archiver[i].*key.field);
        out.Line("");
    }

    out.Line(config_section_headers[SECTION_GENERAL]);
    for (int i = 0; i < directive_count; i++) {
        const DIRECTIVE& row = directives[i];
        if (row.type != DT_IGNORED) out.Line(Estring(row.name) + "=" + directive_value(row));
    }
    out.Line("");
    for (int i = 0; i < 10; i++)
        if (!dirstore[i].empty()) out.Line(esprintf("d%d=", i) + EncodeFileName(dirstore[i]));
    return out.error();
}

// Makes the file's contents durable and gives it the permissions of the file
// it replaces.
[[nodiscard]] int finish_file(StdFile& file, const Westring& target) {
    int result = file.flush();
    if (result == 0) {
        struct stat status;
        if (stat(EncodeFileName(target).c_str(), &status) == 0) fchmod(file.gethandle(), status.st_mode & 07777);
        result = save_step_fault(SAVE_SYNC);
        if (result == 0 && fsync(file.gethandle()) != 0) result = errno;
    }
    int closed = file.close();
    if (result == 0) result = save_step_fault(SAVE_CLOSE);
    return result != 0 ? result : closed;
}

void sync_directory(const Westring& target) {
    Westring dir = target.path();
    int fd = ::open(EncodeFileName(dir.empty() ? Westring(L"/") : dir).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);  // best effort: the new file is already in place
    close(fd);
}

}  // namespace

int WriteAssociationSet(const AssociationSet& set, int section, StdFile& file) {
    CIniWriter out(file);
    out.Line(section >= 0 && section < SECTION_COUNT ? config_section_headers[section] : "");
    for (int i = 0; i < set.count(); i++)
        out.Line(EncodeFileName(set[i]->mask) + ": " + EncodeFileName(set[i]->command));
    out.Line("");
    return out.error();
}

int save_config() {
    // The sections the program does not change come back as the file has
    // them; a file that could not be read is left alone (already reported).
    configure(true);
    if (int read_error = last_config_read_error(); read_error != 0) return read_error;
    // The size the user last had (a resized window, the rows switch) comes
    // back at the next start; an unset size stays unset while it is the
    // default one.
    if (config.screen_rows != (config.Lines > 0 ? config.Lines : CConsole::kMinRows)) config.Lines = config.screen_rows;
    if (config.screen_columns != (config.Columns > 0 ? config.Columns : CConsole::kMinColumns))
        config.Columns = config.screen_columns;

    StdFile file;
    int result = openini(file, 6);
    if (result != 0) return result;
    Westring temp = file.getname();
    Westring target = ini_write_target();

    if (config_hooks.store_panel_state) config_hooks.store_panel_state();
    result = write_sections(file);
    if (result == 0) result = finish_file(file, target);
    else (void)file.close();  // the temporary file is removed below
    if (result == 0) {
        result = save_step_fault(SAVE_RENAME);
        if (result == 0 && rename(EncodeFileName(temp).c_str(), EncodeFileName(target).c_str()) != 0) result = errno;
    }
    if (result != 0) {
        unlink(EncodeFileName(temp).c_str());
        show_config_message(GetOSErrorMessage(result), target);
        return result;
    }
    sync_directory(target);
    return 0;
}
