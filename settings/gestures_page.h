// The "Your gestures" page: each gesture of the gestures file with a
// drop-down of what it does (the combo box's choice, keys recorded by
// pressing them, a pointer button, a command, nothing), for all
// applications or for one application's section, added by picking one of
// its windows or typing its window class. Every change is written at once through the gestures
// library's editor, which the engine picks up by itself; a file that could
// not be read is never written.
#pragma once

#include <gtkmm.h>

#include <array>
#include <string>
#include <vector>

#include "gesture_choices.h"
#include "window_picker.h"

class GesturesPage : public Gtk::Box {
public:
    GesturesPage();
    // Reads the file again (it may have been edited) and shows it.
    void reload();

protected:
    // Shown again: the file may have been edited meanwhile.
    void on_map() override;

private:
    struct Row {
        Gtk::ComboBoxText *choice = nullptr;
        Gtk::Button *keys = nullptr;  // the recorder
        Gtk::SpinButton *button = nullptr;
        Gtk::Entry *command = nullptr;
    };

    void make_row(int index);
    void show_sections();
    void show_rows();
    void show_details(size_t index, GestureChoice choice, const std::string &detail);
    bool app_section() const { return !app_.empty(); }
    void on_choice_changed(size_t index);
    void on_section_changed();
    void on_add_app();
    void add_app(const std::string &app);
    void on_pick_clicked();
    void start_recording(size_t index);
    bool on_recorder_key(GdkEventKey *event, size_t index);
    void stop_recording();
    // The command entry's text, when it is one and not the file's already.
    void write_command(size_t index);
    void write(size_t index, const std::string &words);

    std::string path_;
    std::string shown_path_;  // with ~ for the home folder
    GesturesDocument doc_;
    std::string app_;                      // the section shown; "" for all applications
    std::vector<std::string> added_apps_;  // sections added here that bind nothing yet
    Gtk::Label state_;
    Gtk::ComboBoxText section_;
    Gtk::Entry new_app_;
    Gtk::Button add_app_{"_Add", true};
    Gtk::Button pick_{"_Pick a window…", true};
    WindowPicker picker_;
    Gtk::Grid grid_;
    std::array<Row, kBoundGestureCount> rows_{};
    Gtk::Label outcome_;
    int recording_ = -1;    // the row whose keys are being recorded
    bool showing_ = false;  // controls are being set from the file: no write back
};
