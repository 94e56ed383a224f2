#include "console/helptopics.h"

void (*show_help_hook)(int topic) = nullptr;

void ShowHelp(int topic) {
    if (show_help_hook) show_help_hook(topic);
}
