// vorell-settings: the touchpad settings window. Every setting of the
// settings panel by name, written to the block as it changes, and the
// fingers on the pad drawn live.
#include <cstdio>
#include <memory>

#include "long_options.h"
#include "settings_window.h"

namespace {

void print_help()
{
    puts(
        "Usage: vorell-settings [--help] [--version] [GTK options]\n"
        "Opens the touchpad settings window: every setting of the settings panel\n"
        "by name, written to the touchpad block as you change it, and your fingers\n"
        "on the pad, live.\n"
        "\n"
        "      --help     show this help and exit\n"
        "      --version  print the version and exit");
}

}  // namespace

int main(int argc, char **argv)
{
    if (answer_help_or_version(argc, argv, "", print_help, "vorell-settings " VORELL_VERSION))
        return 0;
    // One window per session: starting the program again raises it.
    auto app = Gtk::Application::create("org.vorell.Settings");
    std::unique_ptr<SettingsWindow> window;
    app->signal_activate().connect([&] {
        if (!window) {
            window = std::make_unique<SettingsWindow>();
            app->add_window(*window);
        }
        window->present();
    });
    return app->run(argc, argv);
}
