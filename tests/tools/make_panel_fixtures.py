#!/usr/bin/python3
"""Draws the control panel's test script and pictures into tests/data/panel: two chip sets in four
looks each (normal, pressed, highlighted, disabled), the lower-left panel with its chip-light bars
and its clean copy, the light, the autoplay digit strip and dots, and four coin denominations; and
writes panel.xrs, the panel script that names them.

The tests probe pixels against the colours named here (repeated in tests/common/panel), so a change
to one is a change to both. Run from anywhere.
"""
import math
import os

from PIL import Image, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "data", "panel")

CHIP = 48
PANEL_W, PANEL_H = 300, 100
PANEL_BACK = (28, 52, 40)      # the lower-left panel's cloth
LIGHT_OFF = (44, 44, 40)       # an unlit chip-light bar
LIGHT_ON = (255, 196, 40)      # the light
LIGHT_W, LIGHT_H = 48, 6
CHIP_X0, CHIP_STEP, CHIP_Y, LIGHT_Y = 10, 58, 30, 86
DIGIT_W, DIGIT_H = 16, 24
DOT = 10
DOT_OFF, DOT_ON = (70, 70, 70), (80, 230, 90)

# Chip colours: set 1 a classic casino set, set 2 a darker "high roller" set.
SETS = [
    [(235, 235, 235), (200, 30, 30), (30, 80, 200), (30, 150, 60), (20, 20, 20)],
    [(150, 90, 200), (230, 140, 20), (240, 200, 40), (120, 40, 40), (40, 150, 160)],
]
LABELS = ["1", "5", "25", "100", "500"]


def font(size):
    for path in ("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",):
        if os.path.exists(path):
            return ImageFont.truetype(path, size)
    return ImageFont.load_default()


def shade(c, k):
    return tuple(max(0, min(255, int(v * k))) for v in c)


def grey(c):
    g = int(0.3 * c[0] + 0.59 * c[1] + 0.11 * c[2])
    return (g // 2 + 60,) * 3


def chip(colour, label, look, style):
    """One chip of 48 by 48 on the panel's cloth: rim with edge stripes, an inlay and its value."""
    img = Image.new("RGB", (CHIP, CHIP), PANEL_BACK)
    d = ImageDraw.Draw(img)
    base = {"N": colour, "P": shade(colour, 0.75), "H": shade(colour, 1.25), "D": grey(colour)}[look]
    stripe = (250, 250, 250) if sum(base) < 450 else (40, 40, 40)
    if look == "D":
        stripe = (150, 150, 150)
    off = 1 if look == "P" else 0
    box = (2 + off, 2 + off, CHIP - 3 + off, CHIP - 3 + off)
    d.ellipse(box, fill=base, outline=shade(base, 0.5))
    cx, cy, r = CHIP / 2 - 0.5 + off, CHIP / 2 - 0.5 + off, CHIP / 2 - 3
    for k in range(6 if style == 0 else 8):
        a = 2 * math.pi * k / (6 if style == 0 else 8)
        for w in (-0.12, 0, 0.12):
            x1, y1 = cx + (r - 6) * math.cos(a + w), cy + (r - 6) * math.sin(a + w)
            x2, y2 = cx + r * math.cos(a + w), cy + r * math.sin(a + w)
            d.line((x1, y1, x2, y2), fill=stripe, width=2)
    inlay = (13 + off, 13 + off, CHIP - 14 + off, CHIP - 14 + off)
    if style == 0:
        d.ellipse(inlay, fill=shade(base, 0.9), outline=stripe)
    else:
        d.rectangle(inlay, fill=shade(base, 0.9), outline=stripe)
    f = font(11 if len(label) < 3 else 9)
    text_colour = stripe if look != "D" else (120, 120, 120)
    w = d.textlength(label, font=f)
    d.text((cx - w / 2, cy - 7), label, font=f, fill=text_colour)
    return img


def panel():
    img = Image.new("RGB", (PANEL_W, PANEL_H), PANEL_BACK)
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, PANEL_W - 1, PANEL_H - 1), outline=(150, 120, 50))
    d.rectangle((2, 2, PANEL_W - 3, 20), fill=(18, 36, 28))
    d.text((8, 5), "CHIPS", font=font(11), fill=(220, 190, 110))
    for k in range(5):
        x = CHIP_X0 + CHIP_STEP * k
        d.rectangle((x, LIGHT_Y, x + LIGHT_W - 1, LIGHT_Y + LIGHT_H - 1), fill=LIGHT_OFF)
    return img


def light():
    img = Image.new("RGB", (LIGHT_W, LIGHT_H), LIGHT_ON)
    d = ImageDraw.Draw(img)
    d.line((0, 0, LIGHT_W - 1, 0), fill=(255, 240, 160))
    return img


def digits():
    img = Image.new("RGB", (DIGIT_W * 10, DIGIT_H), (10, 10, 10))
    d = ImageDraw.Draw(img)
    f = font(18)
    for k in range(10):
        w = d.textlength(str(k), font=f)
        d.text((DIGIT_W * k + (DIGIT_W - w) / 2, 1), str(k), font=f, fill=(255, 90, 40))
    return img


def dots(lit_from):
    """Dots of 10 by 10; those from index lit_from on are lit."""
    n = 5 if lit_from is None else 10
    img = Image.new("RGB", (DOT * n, DOT), (10, 10, 10))
    d = ImageDraw.Draw(img)
    for k in range(n):
        on = lit_from is not None and k >= lit_from
        d.ellipse((DOT * k + 2, 2, DOT * k + 7, 7), fill=DOT_ON if on else DOT_OFF)
    return img


DENOMS = ["1c", "5c", "25c", "$1"]
DENOM_COLOURS = [(180, 110, 60), (190, 190, 200), (200, 200, 210), (230, 190, 60)]


def denomination(k):
    img = Image.new("RGB", (60, 40), (20, 30, 60))
    d = ImageDraw.Draw(img)
    d.ellipse((16, 6, 44, 34), fill=DENOM_COLOURS[k], outline=(60, 60, 60))
    f = font(10)
    w = d.textlength(DENOMS[k], font=f)
    d.text((30 - w / 2, 14), DENOMS[k], font=f, fill=(20, 20, 20))
    return img


def chips_sheet():
    img = Image.new("RGB", (CHIP * 5, CHIP * 8), PANEL_BACK)
    for s in range(2):
        for li, look in enumerate("NPHD"):
            for c in range(5):
                img.paste(chip(SETS[s][c], LABELS[c], look, s), (CHIP * c, CHIP * (4 * s + li)))
    return img


def script():
    sheet = "\n".join(
        "        chip%dBm%s%d = %d, %d, %d, %d" % (c + 1, look, s + 1, CHIP * c, CHIP * (4 * s + li), CHIP, CHIP)
        for s in range(2) for li, look in enumerate("NPHD") for c in range(5))
    lights = ", ".join("%d, %d, %d, %d" % (CHIP_X0 + CHIP_STEP * k, LIGHT_Y, LIGHT_W, LIGHT_H) for k in range(5))
    chips = "\n".join(
        "    { = Button, IDB_CHIP%d\n        Create = \"\", %d, %d, %d, %d, NULL, 0\n    }"
        % (k + 1, CHIP_X0 + CHIP_STEP * k, CHIP_Y, CHIP, CHIP) for k in range(5))
    return TEMPLATE.replace("@SHEET@", sheet).replace("@LIGHTS@", lights).replace("@CHIPS@", chips)


TEMPLATE = r"""; The control panel of the tests: every sub-panel, control, key, string and picture the panel
; reads. Written by tests/tools/make_panel_fixtures.py; the font is the tests' own (test.xbf),
; copied beside this script by the tests.
{ = Defines
    IDD_MESSAGELINE = 3300
    IDD_CHIPS = 3301
    IDD_USERLIST = 3302
    IDD_BUTTONS = 3303
    IDD_CHAT = 3304
    IDD_BETAREA = 3305
    IDD_OPTIONS = 3306
    IDD_REQUEST = 3307
    IDD_HELP = 3308
    IDD_FKEYS = 3309
    IDD_AUTOPLAY = 3310
    IDD_DENOM = 3311
    IDB_USERS = 400
    IDB_CLOSE = 401
    IDE_CHAT_INPUT = 402
    IDS_CHAT_TEXT1 = 404
    IDS_CHAT_TEXT2 = 405
    IDS_CHAT_TEXT3 = 406
    IDS_CHAT_NAME1 = 407
    IDS_CHAT_NAME2 = 408
    IDS_CHAT_NAME3 = 409
    IDB_HELP = 410
    IDB_OPTIONS = 411
    IDB_EXIT = 412
    IDB_BET = 413
    IDS_MESSAGE = 414
    IDS_TOTALBET = 415
    IDB_REBET = 416
    IDB_FORREAL = 417
    IDB_PAGE2 = 427
    IDB_PAGE1 = 428
    IDB_FKEYHELP = 429
    IDS_USERSTITLE = 430
    IDB_SHOWCHAT = 431
    IDB_SHOWAUTO = 432
    IDB_AUTOSTART = 433
    IDB_MINUS1 = 434
    IDB_PLUS1 = 435
    IDB_AUTOSTOP = 436
    IDB_PLUS5 = 437
    IDB_PLUS10 = 438
    IDB_RESET = 439
    IDV_CHAT_SCROLL = 440
    IDB_HISTORY = 441
    IDS_RUNNING = 442
    IDB_YES = 460
    IDB_NO = 461
    IDS_REQTEXT = 470
    IDS_REQHEAD = 471
    IDS_USERLIST = 480
    IDV_USERSCROLL = 481
    IDS_UNITS = 482
    IDS_TENS = 483
    IDS_RUNNING2 = 484
    IDS_DOTS = 485
    IDS_DENOM = 488
    IDB_HIGHER = 489
    IDB_LOWER = 490
    IDB_CHIP1 = 500
    IDB_CHIP2 = 501
    IDB_CHIP3 = 502
    IDB_CHIP4 = 503
    IDB_CHIP5 = 504
    IDS_BACK = 510
    IDS_FKEYTEXT = 511
    OPT_MUSIC = 420010
    OPT_SOUND = 420011
}
{ = Strings
    STR_LOCALUSERS = 10000, "Players at this table"
    STR_TABLEUSERS = 10001, "Table %ld Users %ld"
    STR_VIPUSERS = 10002, "VIP Table %ld Users %ld"
    STR_REQUESTTAIL = 11001, " asks to join"
    STR_CURRENCY = 11002, "$%s"
}
{ = Fonts
    mainFont = test.xbf
}
{ = Bitmaps
    { = chips.bmp
@SHEET@
    }
    panelLeftLowBm = panel.bmp, 0, 0, -1, -1
    panelLeftLow_CopyBm = panel.bmp, 0, 0, -1, -1
    panelLeftLow_LightBm = light.bmp, 0, 0, -1, -1
    autoplayDigits = digits.bmp, 0, 0, -1, -1
    autoplayDotsBmDef = dotsdef.bmp, 0, 0, -1, -1
    autoplayDotsBmFull = dotsfull.bmp, 0, 0, -1, -1
    denomBm_0 = denom0.bmp, 0, 0, -1, -1
    denomBm_1 = denom1.bmp, 0, 0, -1, -1
    denomBm_2 = denom2.bmp, 0, 0, -1, -1
    denomBm_3 = denom3.bmp, 0, 0, -1, -1
}
{ = Data
    NUM_BITMAPS = 2
    CHATYDISABLED = 470
    CHIPLIGHTPOS = {@LIGHTS@}
    NUM_COINVALUES = 4
    SWITCHDOWNX = 300
    SWITCHDOWNY = 560
    SWITCHUPX = 300
    SWITCHUPY = 520
    SWITCHFRAMES = 4
    PANELRIGHTUPY = 280
    PANELOPTIONSY = 300
    PANELHELPUPY = 290
    PANELFKEYSUPY = 310
    AUTOPLAYPANELUP = 440
    AUTOPLAYPANELDOWN = 600
    AUTOPLAYPANELANIMFRAMES = 5
    DEFAULTNUMAUTOSPINS = 10
    MINNUMAUTOSPINS = 2
    MAXNUMAUTOSPINS = 50
    AUTOPLAYPANELDEFAULT = 1
    NUMSPINSDIGITS = autoplayDigits, 10, 16, 24
}
{ = Window, IDD_CHIPS
    Create = "", 0, 500, 300, 100, 0
    { = Static, IDS_BACK
        Create = "", 0, 0, 300, 100, 0
        Bitmap = panelLeftLowBm, panelLeftLowBm, panelLeftLowBm, panelLeftLowBm
    }
@CHIPS@
}
{ = Window, IDD_MESSAGELINE
    Create = "", 300, 560, 300, 40, 0
    { = Static, IDS_MESSAGE
        Create = "", 4, 4, 292, 32, CNTRL_CENTERV
        TextBufferSize = 200
    }
}
{ = Window, IDD_BETAREA
    Create = "", 300, 520, 300, 40, 0
    { = Button, IDB_BET
        Create = "Bet", 4, 6, 70, 28, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Static, IDS_TOTALBET
        Create = "", 80, 6, 140, 28, CNTRL_CENTERV|CNTRL_CENTERH
        TextBufferSize = 16
    }
    { = Button, IDB_REBET
        Create = "Rebet", 226, 6, 70, 28, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
}
{ = Window, IDD_BUTTONS
    Create = "", 600, 500, 200, 30, 0
    { = Button, IDB_HELP
        Create = "Help", 2, 2, 62, 26, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_OPTIONS
        Create = "Options", 68, 2, 62, 26, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_EXIT
        Create = "Exit", 134, 2, 62, 26, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
}
{ = Window, IDD_USERLIST
    Create = "", 600, 530, 200, 250, XWIN_FRAME
    { = Button, IDB_USERS
        Create = "Users", 4, 4, 60, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_CLOSE
        Create = "Close", 136, 4, 60, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Static, IDS_USERSTITLE
        Create = "", 4, 30, 192, 16, CNTRL_CENTERV
        TextBufferSize = 40
    }
    { = Button, IDS_USERLIST
        Create = "", 4, 50, 170, 150, NULL, 0
    }
    { = Slider, IDV_USERSCROLL
        Create = 178, 50, 16, 150, 0, 1, 0, 1, 0
    }
}
{ = Window, IDD_OPTIONS
    Create = "", 600, 530, 200, 250, XWIN_FRAME
    { = Button, IDB_CLOSE
        Create = "Close", 136, 4, 60, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Checkbox, OPT_MUSIC
        Create = "Music", 10, 40, 120, 16, 14, NULL, 0
    }
    { = Checkbox, OPT_SOUND
        Create = "Sound effects", 10, 60, 120, 16, 14, NULL, 0
    }
}
{ = Window, IDD_REQUEST
    Create = "", 250, 200, 300, 120, XWIN_FRAME
    { = Static, IDS_REQHEAD
        Create = "", 8, 8, 284, 18, CNTRL_CENTERV
        TextBufferSize = 32
    }
    { = Static, IDS_REQTEXT
        Create = "", 8, 30, 284, 40, 0
        TextBufferSize = 24
    }
    { = Button, IDB_YES
        Create = "Yes", 60, 84, 70, 26, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_NO
        Create = "No", 170, 84, 70, 26, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
}
{ = Window, IDD_HELP
    Create = "", 600, 530, 200, 250, XWIN_FRAME
    { = Button, IDB_CLOSE
        Create = "Close", 136, 4, 60, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_PAGE1
        Create = "Rules", 10, 40, 180, 24, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_PAGE2
        Create = "Keys on the web", 10, 70, 180, 24, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_FKEYHELP
        Create = "Function keys", 10, 100, 180, 24, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_HISTORY
        Create = "Play history", 10, 130, 180, 24, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
}
{ = Window, IDD_FKEYS
    Create = "", 600, 530, 200, 250, XWIN_FRAME
    { = Button, IDB_CLOSE
        Create = "Close", 136, 4, 60, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Static, IDS_FKEYTEXT
        Create = "F1 help  F2 options", 10, 40, 180, 60, 0
    }
}
{ = Window, IDD_CHAT
    Create = "", 300, 600, 300, 80, 0
    { = Static, IDS_CHAT_NAME3
        Create = "", 4, 2, 50, 12, CNTRL_CENTERV
    }
    { = Static, IDS_CHAT_TEXT3
        Create = "", 56, 2, 150, 12, CNTRL_CENTERV
    }
    { = Static, IDS_CHAT_NAME2
        Create = "", 4, 16, 50, 12, CNTRL_CENTERV
    }
    { = Static, IDS_CHAT_TEXT2
        Create = "", 56, 16, 150, 12, CNTRL_CENTERV
    }
    { = Static, IDS_CHAT_NAME1
        Create = "", 4, 30, 50, 12, CNTRL_CENTERV
    }
    { = Static, IDS_CHAT_TEXT1
        Create = "", 56, 30, 150, 12, CNTRL_CENTERV
    }
    { = Slider, IDV_CHAT_SCROLL
        Create = 208, 2, 12, 40, 0, 1, 0, 1, 0
    }
    { = Edit, IDE_CHAT_INPUT
        Create = "", 4, 56, 216, 18, 100, CNTRL_EXTRUDED|CNTRL_CENTERV
    }
    { = Button, IDB_FORREAL
        Create = "Real", 226, 4, 70, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_SHOWAUTO
        Create = "Auto", 226, 30, 70, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
}
{ = Window, IDD_AUTOPLAY
    Create = "", 300, 600, 300, 80, 0
    { = Button, IDB_SHOWCHAT
        Create = "Chat", 226, 4, 70, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Static, IDS_TENS
        Create = "", 8, 6, 16, 24, 0
    }
    { = Static, IDS_UNITS
        Create = "", 24, 6, 16, 24, 0
    }
    { = Button, IDB_MINUS1
        Create = "-1", 48, 6, 30, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_PLUS1
        Create = "+1", 82, 6, 30, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_PLUS5
        Create = "+5", 116, 6, 30, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_PLUS10
        Create = "+10", 150, 6, 34, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_RESET
        Create = "1", 188, 6, 30, 22, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_AUTOSTART
        Create = "Start", 8, 40, 70, 26, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_AUTOSTOP
        Create = "Stop", 82, 40, 70, 26, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Static, IDS_RUNNING
        Create = "Running", 160, 40, 60, 12, 0
    }
    { = Static, IDS_RUNNING2
        Create = "", 160, 54, 4, 4, 0
    }
    { = Static, IDS_DOTS
        Create = "", 170, 56, 50, 10, 0
    }
}
{ = Window, IDD_DENOM
    Create = "", 0, 440, 120, 60, 0
    { = Static, IDS_DENOM
        Create = "", 30, 10, 60, 40, 0
    }
    { = Button, IDB_HIGHER
        Create = "+", 94, 10, 22, 18, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
    { = Button, IDB_LOWER
        Create = "-", 4, 10, 22, 18, NULL, CNTRL_EXTRUDED|CNTRL_CENTERH|CNTRL_CENTERV
    }
}
"""


def main():
    os.makedirs(OUT, exist_ok=True)
    chips_sheet().save(os.path.join(OUT, "chips.bmp"))
    panel().save(os.path.join(OUT, "panel.bmp"))
    light().save(os.path.join(OUT, "light.bmp"))
    digits().save(os.path.join(OUT, "digits.bmp"))
    dots(None).save(os.path.join(OUT, "dotsdef.bmp"))
    dots(5).save(os.path.join(OUT, "dotsfull.bmp"))
    for k in range(4):
        denomination(k).save(os.path.join(OUT, "denom%d.bmp" % k))
    with open(os.path.join(OUT, "panel.xrs"), "w", newline="\n") as f:
        f.write(script())


if __name__ == "__main__":
    main()
