#!/usr/bin/env python3
"""Writes the panel's skin: one small SVG per image name, in this folder.

Run it after changing the palette or a shape, and commit the SVGs with it:
    python3 resources/images/generate.py

The look: a dark graphite panel, one teal accent, 1.5-unit strokes, round
transport buttons, pill-shaped switches and bars. Disabled images are the
same shapes in muted greys; hover adds an accent ring; push fills with the
accent. A control focused from the keyboard wears a dashed light ring, in
the shape of its face, over its image.
"""
from pathlib import Path

OUT = Path(__file__).resolve().parent

# Palette.
ACCENT = "#34d1bf"
ACCENT_LIGHT = "#7ae8dc"
ACCENT_DARK = "#1f9d8f"
ACCENT_MUTED = "#2f5d58"
SURFACE_TOP = "#3a414c"
SURFACE_BOTTOM = "#2a2f37"
STROKE = "#4a5260"
GLYPH = "#dde2e8"
DARK_GLYPH = "#10201e"
DISABLED_FILL = "#262a31"
DISABLED_STROKE = "#343a43"
DISABLED_GLYPH = "#5d6470"
TRACK = "#14171b"
RECORD = "#ff5f5f"
STROKE_WIDTH = 1.5
FOCUS = "#e9fffb"
FOCUS_DASH = "3.2 2"


def svg(width, height, body, defs=""):
    defs_block = f"<defs>{defs}</defs>" if defs else ""
    return (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}" preserveAspectRatio="none">'
        f"{defs_block}{body}</svg>\n"
    )


def write(name, text):
    (OUT / f"{name}.svg").write_text(text)


def vertical_gradient(ident, top, bottom):
    return (
        f'<linearGradient id="{ident}" x1="0" y1="0" x2="0" y2="1">'
        f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/>'
        f"</linearGradient>"
    )


# Transport and reset buttons --------------------------------------------

def glyph_play(c, s, color):
    h = s * 0.5
    return (f'<path d="M{c - h * 0.7:.2f} {c - h:.2f} L{c + h * 0.95:.2f} {c:.2f} '
            f'L{c - h * 0.7:.2f} {c + h:.2f} Z" fill="{color}" stroke="{color}" '
            f'stroke-width="1.2" stroke-linejoin="round"/>')


def glyph_pause(c, s, color):
    w, h, gap = s * 0.22, s * 0.9, s * 0.16
    return (f'<rect x="{c - gap - w:.2f}" y="{c - h / 2:.2f}" width="{w:.2f}" height="{h:.2f}" rx="1.2" fill="{color}"/>'
            f'<rect x="{c + gap:.2f}" y="{c - h / 2:.2f}" width="{w:.2f}" height="{h:.2f}" rx="1.2" fill="{color}"/>')


def glyph_stop(c, s, color):
    w = s * 0.78
    return f'<rect x="{c - w / 2:.2f}" y="{c - w / 2:.2f}" width="{w:.2f}" height="{w:.2f}" rx="2" fill="{color}"/>'


def glyph_record(c, s, color):
    return f'<circle cx="{c}" cy="{c}" r="{s * 0.46:.2f}" fill="{color}"/>'


def glyph_reset(c, s, color):
    # An open circle with an arrow head: "back to the start".
    r = s * 0.42
    return (f'<path d="M{c + r:.2f} {c:.2f} A{r:.2f} {r:.2f} 0 1 1 {c + r * 0.5:.2f} {c - r * 0.866:.2f}" '
            f'fill="none" stroke="{color}" stroke-width="2" stroke-linecap="round"/>'
            f'<path d="M{c + r * 0.5 - 3.2:.2f} {c - r * 0.866 - 3.6:.2f} L{c + r * 0.5 + 1.2:.2f} {c - r * 0.866:.2f} '
            f'L{c + r * 0.5 - 3.6:.2f} {c - r * 0.866 + 2.6:.2f}" fill="none" stroke="{color}" '
            f'stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>')


def round_button(name, size, glyph, glyph_scale, record=False):
    c = size / 2
    r = c - 2
    s = size * glyph_scale
    grad = vertical_gradient("face", SURFACE_TOP, SURFACE_BOTTOM)
    push = vertical_gradient("face", ACCENT_LIGHT, ACCENT_DARK)
    shadow = f'<circle cx="{c}" cy="{c + 1}" r="{r}" fill="#000" fill-opacity="0.35"/>'
    enable_glyph = RECORD if record else GLYPH
    states = {
        "Enable": (grad, f'<circle cx="{c}" cy="{c}" r="{r}" fill="url(#face)" stroke="{STROKE}" stroke-width="{STROKE_WIDTH}"/>',
                   enable_glyph),
        "Hover": (grad, f'<circle cx="{c}" cy="{c}" r="{r}" fill="url(#face)" stroke="{ACCENT}" stroke-width="{STROKE_WIDTH}"/>'
                  f'<circle cx="{c}" cy="{c}" r="{r + 1.2}" fill="none" stroke="{ACCENT}" stroke-opacity="0.25" stroke-width="1"/>',
                  RECORD if record else ACCENT_LIGHT),
        "Push": (push, f'<circle cx="{c}" cy="{c + 0.5}" r="{r}" fill="url(#face)" stroke="{ACCENT_DARK}" stroke-width="{STROKE_WIDTH}"/>',
                 DARK_GLYPH),
        "Disable": ("", f'<circle cx="{c}" cy="{c}" r="{r}" fill="{DISABLED_FILL}" stroke="{DISABLED_STROKE}" stroke-width="{STROKE_WIDTH}"/>',
                    DISABLED_GLYPH),
    }
    for state, (defs, face, colour) in states.items():
        body = shadow + face + glyph(c, s, colour)
        write(f"{name}{state}", svg(size, size, body, defs))


round_button("play", 44, glyph_play, 0.36)
round_button("pause", 44, glyph_pause, 0.36)
round_button("stop", 44, glyph_stop, 0.36)
round_button("record", 44, glyph_record, 0.36, record=True)
round_button("reset", 32, glyph_reset, 0.42)

# Switches ------------------------------------------------------------------

def switch(name, track, knob, checked, ring=None):
    w, h = 46, 26
    r = h / 2 - 1
    kx = w - h / 2 if checked else h / 2
    ring_svg = (f'<rect x="0.75" y="0.75" width="{w - 1.5}" height="{h - 1.5}" rx="{h / 2 - 0.75}" '
                f'fill="none" stroke="{ring}" stroke-width="{STROKE_WIDTH}"/>') if ring else ""
    body = (f'<rect x="1" y="1" width="{w - 2}" height="{h - 2}" rx="{r}" fill="{track}"/>'
            f'<rect x="1" y="1" width="{w - 2}" height="{h - 2}" rx="{r}" fill="none" stroke="#000" stroke-opacity="0.25"/>'
            + ring_svg +
            f'<circle cx="{kx}" cy="{h / 2 + 0.8}" r="{r - 3}" fill="#000" fill-opacity="0.3"/>'
            f'<circle cx="{kx}" cy="{h / 2}" r="{r - 3}" fill="{knob}"/>')
    write(name, svg(w, h, body))


switch("enableUnchecked", "#3a404a", GLYPH, False)
switch("enableChecked", ACCENT, "#ffffff", True)
switch("hoverUnchecked", "#454c58", "#ffffff", False, ring=ACCENT)
switch("hoverChecked", ACCENT_LIGHT, "#ffffff", True, ring=ACCENT_LIGHT)
switch("disableUnchecked", DISABLED_FILL, DISABLED_GLYPH, False, ring=DISABLED_STROKE)
switch("disableChecked", ACCENT_MUTED, "#7f8c8b", True)

# Vertical sliders ------------------------------------------------------------
# The bar is 6 wide: a cap rounded at its bottom (the minimum end) and a body
# stretched above it. The stage sliders run over a full-height dark track.

BAR_W = 6


def bar_pieces(suffix, colour):
    cap = (f'<path d="M0 0 H{BAR_W} V3 A3 3 0 0 1 {BAR_W - 3} 6 H3 A3 3 0 0 1 0 3 Z" fill="{colour}"/>')
    write(f"hHeader{suffix}", svg(BAR_W, 6, cap))
    write(f"hMiddle{suffix}", svg(BAR_W, 8, f'<rect width="{BAR_W}" height="8" fill="{colour}"/>'))


bar_pieces("Enable", ACCENT)
bar_pieces("Disable", "#4a515b")
write("hStageBg", svg(BAR_W, 8, f'<rect width="{BAR_W}" height="8" fill="{TRACK}"/>'
                                f'<rect x="0" width="1" height="8" fill="#000" fill-opacity="0.35"/>'))


def round_knob(name, face_top, face_bottom, dot, ring=None):
    size = 22
    c = size / 2
    ring_svg = (f'<circle cx="{c}" cy="{c}" r="{c - 0.9}" fill="none" stroke="{ring}" stroke-width="1.8"/>'
                if ring else "")
    body = (f'<circle cx="{c}" cy="{c + 1}" r="{c - 2}" fill="#000" fill-opacity="0.4"/>'
            f'<circle cx="{c}" cy="{c}" r="{c - 2.5}" fill="url(#face)" stroke="#15181c" stroke-width="1"/>'
            + ring_svg +
            f'<circle cx="{c}" cy="{c}" r="3" fill="{dot}"/>')
    write(name, svg(size, size, body, vertical_gradient("face", face_top, face_bottom)))


round_knob("spkMicKnobEnable", "#f4f6f8", "#c4cad2", ACCENT_DARK)
round_knob("spkMicKnobHighlight", "#ffffff", "#d6dbe1", ACCENT, ring=ACCENT)
round_knob("spkMicKnobDisable", "#5a616c", "#434952", "#343941")


def fader_knob(name, face_top, face_bottom, line, ring=None):
    w, h = 28, 14
    ring_svg = (f'<rect x="0.9" y="0.9" width="{w - 1.8}" height="{h - 1.8}" rx="4" fill="none" '
                f'stroke="{ring}" stroke-width="1.8"/>' if ring else "")
    body = (f'<rect x="1.5" y="2" width="{w - 3}" height="{h - 3}" rx="3.5" fill="#000" fill-opacity="0.4"/>'
            f'<rect x="1.5" y="1.5" width="{w - 3}" height="{h - 3}" rx="3.5" fill="url(#face)" stroke="#15181c" stroke-width="1"/>'
            + ring_svg +
            f'<rect x="5" y="{h / 2 - 1}" width="{w - 10}" height="2" rx="1" fill="{line}"/>')
    write(name, svg(w, h, body, vertical_gradient("face", face_top, face_bottom)))


fader_knob("knobStageEnable", "#f4f6f8", "#c4cad2", ACCENT_DARK)
fader_knob("knobStageHighlight", "#ffffff", "#d6dbe1", ACCENT, ring=ACCENT)
fader_knob("knobStageDisable", "#5a616c", "#434952", "#343941")

# Level control (horizontal) -----------------------------------------------------
# 180 x 8 overall; a cap rounded on the left, a stretched body and an end cap
# rounded on the right (brighter, with a light tip, while hovered).

LEVEL_H = 8
write("vBg", svg(180, LEVEL_H, f'<rect width="180" height="{LEVEL_H}" rx="{LEVEL_H // 2}" fill="{TRACK}"/>'))


def level_pieces(suffix, colour):
    r = LEVEL_H // 2
    write(f"vHeader{suffix}", svg(r + 1, LEVEL_H, f'<path d="M{r} 0 H{r + 1} V{LEVEL_H} H{r} A{r} {r} 0 0 1 {r} 0 Z" fill="{colour}"/>'))
    write(f"vMiddle{suffix}", svg(8, LEVEL_H, f'<rect width="8" height="{LEVEL_H}" fill="{colour}"/>'))
    write(f"vFooter{suffix}", svg(r + 1, LEVEL_H, f'<path d="M0 0 H1 A{r} {r} 0 0 1 1 {LEVEL_H} H0 Z" fill="{colour}"/>'))


level_pieces("Enable", ACCENT)
level_pieces("Disable", "#4a515b")
r = LEVEL_H // 2
write("vFooterHighlight", svg(r + 1, LEVEL_H,
      f'<path d="M0 0 H1 A{r} {r} 0 0 1 1 {LEVEL_H} H0 Z" fill="{ACCENT_LIGHT}"/>'
      f'<circle cx="1.5" cy="{r}" r="1.8" fill="#ffffff"/>'))

# Spectrum bars ----------------------------------------------------------------
# Level n is n LED segments, 10 wide and 6 apart: "upN" rises from its bottom
# edge, "downN" (the dimmer mirror) hangs from its top edge.

SEG_H, SEG_GAP, BAR_WIDTH = 5, 1, 10
SEGMENT_COLOURS = ["#1f9d8f", "#23ab9c", "#28b8a8", "#2ec4b4", "#34d1bf", "#58dccd", "#7ae8dc", "#b6f4ed"]


def spectrum_bar(level, hanging):
    height = level * (SEG_H + SEG_GAP)
    parts = []
    for i in range(level):
        colour = SEGMENT_COLOURS[i]
        if hanging:
            y = i * (SEG_H + SEG_GAP)
        else:
            y = height - (i + 1) * (SEG_H + SEG_GAP) + SEG_GAP
        parts.append(f'<rect x="0" y="{y}" width="{BAR_WIDTH}" height="{SEG_H}" rx="1.2" fill="{colour}"/>')
    body = "".join(parts)
    if hanging:
        body = f'<g opacity="0.45">{body}</g>'
    return svg(BAR_WIDTH, height, body)


for level in range(1, 9):
    write(f"up{level}", spectrum_bar(level, hanging=False))
    write(f"down{level}", spectrum_bar(level, hanging=True))

# Link status ------------------------------------------------------------------


def link_icon(name, colour, broken):
    # Two chain links along the diagonal; the broken one is struck through.
    links = (f'<g transform="rotate(-45 10 10)" fill="none" stroke="{colour}" stroke-width="2">'
             f'<rect x="1.5" y="6.5" width="10" height="7" rx="3.5"/>'
             f'<rect x="8.5" y="6.5" width="10" height="7" rx="3.5"/></g>')
    slash = f'<path d="M4 4 L16 16" stroke="{RECORD}" stroke-width="2" stroke-linecap="round"/>' if broken else ""
    write(name, svg(20, 20, links + slash))


link_icon("linkEnable", ACCENT, broken=False)
link_icon("linkDisable", DISABLED_GLYPH, broken=True)

# Preset selector --------------------------------------------------------------
# A 168 x 26 field with a chevron at its right end; the control writes the
# preset's name over it and puts the "modified" dot before the chevron.

PRESET_W, PRESET_H = 168, 26


def preset_field(name, face_top, face_bottom, stroke, chevron, glow=None):
    inset = STROKE_WIDTH / 2
    glow_svg = (f'<rect x="-0.5" y="-0.5" width="{PRESET_W + 1}" height="{PRESET_H + 1}" rx="7" fill="none" '
                f'stroke="{glow}" stroke-opacity="0.25" stroke-width="1"/>') if glow else ""
    cx, cy = PRESET_W - 14, PRESET_H / 2
    body = (f'<rect x="{inset}" y="{inset + 0.8}" width="{PRESET_W - 2 * inset}" height="{PRESET_H - 2 * inset}" '
            f'rx="6" fill="#000" fill-opacity="0.3"/>'
            f'<rect x="{inset}" y="{inset}" width="{PRESET_W - 2 * inset}" height="{PRESET_H - 2 * inset}" rx="6" '
            f'fill="url(#face)" stroke="{stroke}" stroke-width="{STROKE_WIDTH}"/>'
            + glow_svg +
            f'<path d="M{cx - 4} {cy - 2} L{cx} {cy + 2.5} L{cx + 4} {cy - 2}" fill="none" stroke="{chevron}" '
            f'stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>')
    write(name, svg(PRESET_W, PRESET_H, body, vertical_gradient("face", face_top, face_bottom)))


preset_field("presetEnable", SURFACE_TOP, SURFACE_BOTTOM, STROKE, GLYPH)
preset_field("presetHover", "#434b57", SURFACE_BOTTOM, ACCENT, ACCENT_LIGHT, glow=ACCENT)
preset_field("presetDisable", DISABLED_FILL, DISABLED_FILL, DISABLED_STROKE, DISABLED_GLYPH)
write("presetModified", svg(8, 8, f'<circle cx="4" cy="4" r="3.2" fill="{ACCENT}"/>'))

# Focus rings ------------------------------------------------------------------
# Each ring has the size of the image it is drawn over, so it lands on the
# control's edge at any scale.

def focus_attrs():
    return (f'fill="none" stroke="{FOCUS}" stroke-width="{STROKE_WIDTH}" '
            f'stroke-dasharray="{FOCUS_DASH}" stroke-linecap="round"')


def focus_round(name, size):
    c = size / 2
    write(name, svg(size, size, f'<circle cx="{c}" cy="{c}" r="{c - 1}" {focus_attrs()}/>'))


def focus_pill(name, w, h, radius=None):
    inset = STROKE_WIDTH / 2
    rx = h / 2 - inset if radius is None else radius
    write(name, svg(w, h, f'<rect x="{inset}" y="{inset}" width="{w - 2 * inset}" height="{h - 2 * inset}" '
                          f'rx="{rx}" {focus_attrs()}/>'))


focus_round("focusRingRound", 44)
focus_round("focusRingSmall", 32)
focus_pill("focusRingSwitch", 46, 26)
focus_round("spkMicKnobFocus", 22)
focus_pill("knobStageFocus", 28, 14, radius=4)
focus_pill("focusRingLevel", 180, LEVEL_H)
focus_pill("focusRingPreset", PRESET_W, PRESET_H, radius=6)

# Window background and tooltip ------------------------------------------------------

write("rect", svg(800, 560,
      '<rect width="800" height="560" fill="url(#panel)"/>'
      '<rect width="800" height="560" fill="url(#glow)"/>'
      '<rect width="800" height="1" fill="#ffffff" fill-opacity="0.06"/>',
      vertical_gradient("panel", "#262a31", "#17191d")
      + '<radialGradient id="glow" cx="0.5" cy="0" r="0.9">'
        f'<stop offset="0" stop-color="{ACCENT}" stop-opacity="0.07"/>'
        f'<stop offset="1" stop-color="{ACCENT}" stop-opacity="0"/></radialGradient>'))

write("tooltipBg", svg(60, 28,
      '<rect x="0.5" y="0.5" width="59" height="27" rx="6" fill="#2b3038" stroke="#434a56" stroke-width="1"/>'))

if __name__ == "__main__":
    print(f"wrote {len(list(OUT.glob('*.svg')))} images to {OUT}")
