#include "pad_view.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

struct Colour {
    double r, g, b;
};
// Content colours, fixed so that a contact reads the same in every theme.
constexpr Colour kSurface{0.871, 0.867, 0.855};     // #deddda
constexpr Colour kEdge{0.604, 0.600, 0.588};        // #9a9996
constexpr Colour kOneFinger{0.110, 0.443, 0.847};   // #1c71d8
constexpr Colour kTwoFingers{0.149, 0.635, 0.412};  // #26a269
constexpr Colour kThreeFingers{0.902, 0.380, 0.0};  // #e66100
constexpr Colour kButtonDown{0.110, 0.443, 0.847};  // #1c71d8

void set_colour(const Cairo::RefPtr<Cairo::Context> &cr, Colour c) { cr->set_source_rgb(c.r, c.g, c.b); }

void rounded_rectangle(const Cairo::RefPtr<Cairo::Context> &cr, double x, double y, double w, double h,
                       double r)
{
    cr->begin_new_sub_path();
    cr->arc(x + w - r, y + r, r, -M_PI / 2, 0);
    cr->arc(x + w - r, y + h - r, r, 0, M_PI / 2);
    cr->arc(x + r, y + h - r, r, M_PI / 2, M_PI);
    cr->arc(x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cr->close_path();
}

void centred_text(const Cairo::RefPtr<Cairo::Context> &cr, const std::string &text, double x, double y)
{
    Cairo::TextExtents e;
    cr->get_text_extents(text, e);
    cr->move_to(x - e.width / 2 - e.x_bearing, y - e.height / 2 - e.y_bearing);
    cr->show_text(text);
}

constexpr double kMargin = 8;
constexpr double kGap = 6;
constexpr double kButtonHeight = 24;
constexpr double kNamedButtonWidth = 60;
constexpr double kExtraButtonWidth = 26;

// Where the pad and the rows of buttons go in a view of this size: the pad as
// large as fits in its proportions, the two rows under it, the whole centred.
struct Layout {
    double left, top, pad_w, pad_h, rows_top;
};

Layout layout_for(double width, double height)
{
    const double rows_h = 2 * kButtonHeight + kGap;
    Layout l{};
    l.pad_w = width - 2 * kMargin;
    l.pad_h = l.pad_w / pad_aspect();
    const double room = std::max(height - 3 * kMargin - rows_h, 10.0);
    if (l.pad_h > room) {
        l.pad_h = room;
        l.pad_w = l.pad_h * pad_aspect();
    }
    l.left = (width - l.pad_w) / 2;
    l.top = std::max((height - l.pad_h - kMargin - rows_h) / 2, kMargin);
    l.rows_top = l.top + l.pad_h + kMargin;
    return l;
}

bool same_buttons(const PadPicture &a, const PadPicture &b)
{
    return std::equal(std::begin(a.named_down), std::end(a.named_down), std::begin(b.named_down)) &&
           std::equal(std::begin(a.extra_down), std::end(a.extra_down), std::begin(b.extra_down));
}

// Pictures whose only difference is where the contacts are, and whose
// contacts are all that changes between them.
bool only_contacts_differ(const PadPicture &a, const PadPicture &b)
{
    return same_buttons(a, b) && a.fingers >= 0 && a.fingers <= 3 && b.fingers >= 0 && b.fingers <= 3;
}

}  // namespace

PadView::PadView()
{
    set_size_request(360, 340);
    set_hexpand(true);
    set_vexpand(true);
    get_accessible()->set_name("Your fingers on the pad");
}

void PadView::set_block(const TouchpadSharedBlock *block)
{
    block_ = block;
    stop_following();
    show(read());
    look();
}

FingerReading PadView::read() const
{
    if (!block_)
        return FingerReading{};
    // One copy of the whole block, as every reader of several fields takes.
    TouchpadSharedBlock copy;
    memcpy(&copy, block_, sizeof copy);
    return read_fingers(copy);
}

void PadView::look()
{
    if (!block_ || following())
        return;
    FingerReading reading = read();
    show(reading);
    if (reading_is_busy(reading))
        tick_id_ = add_tick_callback(sigc::mem_fun(*this, &PadView::on_tick));
}

bool PadView::on_tick(const Glib::RefPtr<Gdk::FrameClock> &)
{
    FingerReading reading = read();
    show(reading);
    if (reading_is_busy(reading))
        return true;
    tick_id_ = 0;
    return false;
}

void PadView::stop_following()
{
    if (tick_id_ != 0)
        remove_tick_callback(tick_id_);
    tick_id_ = 0;
}

void PadView::show(const FingerReading &reading)
{
    if (same_reading(reading, shown_))
        return;
    const PadPicture before = picture_of(shown_);
    const PadPicture after = picture_of(reading);
    shown_ = reading;
    // A moving finger repaints only where it was and where it is.
    if (only_contacts_differ(before, after)) {
        invalidate_contacts(before);
        invalidate_contacts(after);
    } else {
        queue_draw();
    }
    std::string summary = picture_summary(after);
    if (summary != summary_) {
        summary_ = summary;
        summary_changed_.emit(summary_);
    }
}

void PadView::invalidate_contacts(const PadPicture &picture)
{
    const Layout l = layout_for(get_allocated_width(), get_allocated_height());
    for (int i = 0; i < picture.contact_count; ++i) {
        const DrawnContact &c = picture.contacts[i];
        const double r = c.radius * l.pad_w + 2;
        queue_draw_area(static_cast<int>(l.left + c.x * l.pad_w - r),
                        static_cast<int>(l.top + c.y * l.pad_h - r), static_cast<int>(2 * r) + 2,
                        static_cast<int>(2 * r) + 2);
    }
}

void PadView::on_style_updated()
{
    Gtk::DrawingArea::on_style_updated();
    background_.clear();
}

void PadView::draw_background(const Cairo::RefPtr<Cairo::Context> &cr, const PadPicture &picture)
{
    const double width = get_allocated_width();
    const Layout l = layout_for(width, get_allocated_height());
    rounded_rectangle(cr, l.left, l.top, l.pad_w, l.pad_h, 10);
    set_colour(cr, kSurface);
    cr->fill_preserve();
    set_colour(cr, kEdge);
    cr->set_line_width(2);
    cr->stroke();

    // The buttons: a row of the five named ones, a row of the eight further
    // ones by number.
    const Gdk::RGBA fg = get_style_context()->get_color(get_state_flags());
    cr->set_font_size(11);
    for (int i = 0; i < kNamedButtonCount + kExtraButtonCount; ++i) {
        const bool named = i < kNamedButtonCount;
        const int place = named ? i : i - kNamedButtonCount;
        const int in_row = named ? kNamedButtonCount : kExtraButtonCount;
        const double w = named ? kNamedButtonWidth : kExtraButtonWidth;
        const double x = (width - in_row * w - (in_row - 1) * kGap) / 2 + place * (w + kGap);
        const double y = l.rows_top + (named ? 0 : kButtonHeight + kGap);
        const bool down = named ? picture.named_down[place] : picture.extra_down[place];
        rounded_rectangle(cr, x + 0.5, y + 0.5, w - 1, kButtonHeight - 1, 4);
        if (down) {
            set_colour(cr, kButtonDown);
            cr->fill();
            cr->set_source_rgb(1, 1, 1);
        } else {
            set_colour(cr, kEdge);
            cr->set_line_width(1);
            cr->stroke();
            cr->set_source_rgb(fg.get_red(), fg.get_green(), fg.get_blue());
        }
        const std::string text =
            named ? button_name(static_cast<PadButton>(place)) : std::to_string(place + 1);
        centred_text(cr, text, x + w / 2, y + kButtonHeight / 2);
    }
}

bool PadView::on_draw(const Cairo::RefPtr<Cairo::Context> &cr)
{
    const PadPicture picture = picture_of(shown_);
    const int width = get_allocated_width();
    const int height = get_allocated_height();

    // The pad and the buttons change seldom: drawn once into a surface of
    // the display's own kind, then copied for each frame.
    if (!background_ || background_width_ != width || background_height_ != height ||
        !same_buttons(picture, background_picture_)) {
        background_ = get_window()->create_similar_surface(Cairo::CONTENT_COLOR_ALPHA, width, height);
        background_width_ = width;
        background_height_ = height;
        background_picture_ = picture;
        draw_background(Cairo::Context::create(background_), picture);
    }
    cr->set_source(background_, 0, 0);
    cr->paint();

    const Layout l = layout_for(width, height);
    const Colour colour = picture.fingers == 1   ? kOneFinger
                          : picture.fingers == 2 ? kTwoFingers
                                                 : kThreeFingers;
    for (int i = 0; i < picture.contact_count; ++i) {
        const DrawnContact &c = picture.contacts[i];
        set_colour(cr, colour);
        cr->arc(l.left + c.x * l.pad_w, l.top + c.y * l.pad_h, c.radius * l.pad_w, 0, 2 * M_PI);
        cr->fill();
    }
    cr->set_font_size(13);
    if (picture.fingers == 3) {
        cr->set_source_rgb(1, 1, 1);
        const DrawnContact &c = picture.contacts[0];
        centred_text(cr, "3", l.left + c.x * l.pad_w, l.top + c.y * l.pad_h);
    } else if (picture.fingers > 3 || picture.fingers < 0) {
        const Gdk::RGBA fg = get_style_context()->get_color(get_state_flags());
        cr->set_source_rgb(fg.get_red(), fg.get_green(), fg.get_blue());
        centred_text(cr, std::to_string(picture.fingers) + " fingers", width / 2.0, l.top + l.pad_h / 2);
    }
    return true;
}
