#!/usr/bin/env python3
"""Paints the blackjack table's pictures into the install folder's pictures/kavo/.

    makekavo.py --list
    makekavo.py --scene SCENE --views VIEWS --out DIR [--only NAME...]

--list prints the names of the pictures it makes (the build takes its outputs from it). VIEWS is
the file kavolayout writes: the five cameras as fennic has them (the painter checks its own
projection against them) and the places of the bet spots. Every picture is deterministic: the
same scene gives the same bytes.
"""
import argparse
import json
import os
import sys
from multiprocessing import Pool

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from paint import cards, chips, common, felt, icons, misc, panel, table  # noqa: E402

VIEWS = 5
CHIP_BUTTON = 44


def tables_of(scene):
    return [t["name"] for t in scene["tables"]]


def names(scene):
    out = []
    for t in tables_of(scene):
        out += ["%s_table%d.bmp" % (t, v) for v in range(VIEWS)]
        out += ["%s_popup%d.bmp" % (t, k) for k in (1, 2, 3)]
    out += ["cards.bmp", "back.bmp", "light.bmp", "arrow.bmp", "icons.bmp", "smallchips.bmp", "chipbuttons.bmp",
            "tray.bmp", "traylight.bmp", "nameplate.bmp", "sitdown.bmp", "bubble.bmp", "infobutton.bmp",
            "closebutton.bmp", "digits.bmp"]
    return out


def popup_text(table):
    title = {"kavo": "BLACKJACK", "kavo_ss": "SUPER SEVEN BLACKJACK", "kavo_onedeck": "SINGLE DECK BLACKJACK"}
    rule = table["dealerRule"].replace("DEALER", "Dealer").replace("STANDS ON ALL", "stands on all") \
        .replace("HITS SOFT", "hits soft")
    rules = ["Blackjack pays 3 to 2", rule, "Insurance pays 2 to 1",
             "Dealt from one deck" if table["decks"] == 1 else "Dealt from %d decks" % table["decks"]]
    if table["sideBet"]:
        rules.append("Super Seven pays up to 1500 to 1")
    return {"title": title.get(table["name"], "BLACKJACK"), "rules": rules}


def paint_view(job):
    scene, views, v, out, prints = job
    prints = [dict(np.load(p)) for p in prints]
    pictures = table.TableRenderer(scene, views).render(v, prints)
    for t, pic in zip(scene["tables"], pictures):
        common.write_bmp(os.path.join(out, "%s_table%d.bmp" % (t["name"], v)), pic)


def paint_small(scene, out):
    card = scene["card"]
    w, h = card["pixelsWide"], card["pixelsHigh"]
    put = lambda name, rgb: common.write_bmp(os.path.join(out, name), rgb)  # noqa: E731
    put("cards.bmp", cards.sheet(w, h))
    put("back.bmp", cards.back(w, h))
    put("light.bmp", misc.spot_light(64))
    put("arrow.bmp", misc.arrow_texture(32, 64))
    ic = scene["icons"]
    put("icons.bmp", icons.strip(ic["cell"], (ic["male"], ic["female"], ic["other"])))
    cw, ch = scene["chips"]["size"]
    put("smallchips.bmp", chips.strip(cw, ch))
    put("chipbuttons.bmp", panel.chip_buttons(CHIP_BUTTON))
    put("tray.bmp", panel.tray(260, 52, [(8 + 50 * k, 4, 44, 44) for k in range(5)]))
    put("traylight.bmp", panel.tray_light(48, 48))
    c = scene["controls"]
    put("nameplate.bmp", misc.plate(*c["tag"]))
    put("sitdown.bmp", np.concatenate([misc.plate(*c["tag"], "SIT DOWN", s) for s in range(4)], 1))
    put("bubble.bmp", misc.bubble(*c["bubble"]))
    put("infobutton.bmp", np.concatenate([misc.round_button(26, "i", s) for s in range(4)], 1))
    put("closebutton.bmp", np.concatenate([misc.round_button(26, "x", s) for s in range(4)], 1))
    put("digits.bmp", misc.digits(12, 18))
    pw, ph = c["infoPopup"]
    for t in scene["tables"]:
        for k in range(3):
            put("%s_popup%d.bmp" % (t["name"], k + 1), misc.popup(pw, ph, k, popup_text(t)))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--list", action="store_true")
    ap.add_argument("--scene", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "scene.json"))
    ap.add_argument("--views")
    ap.add_argument("--out")
    ap.add_argument("--jobs", type=int, default=min(4, os.cpu_count() or 1))
    args = ap.parse_args()
    with open(args.scene) as f:
        scene = json.load(f)
    if args.list:
        print(" ".join(names(scene)))
        return
    if not args.views or not args.out:
        ap.error("--views and --out are needed")
    with open(args.views) as f:
        views = json.load(f)
    os.makedirs(args.out, exist_ok=True)
    # Each table's print once, handed to the views through files beside the pictures.
    prints = []
    for t in scene["tables"]:
        path = os.path.join(args.out, ".%s_print.npz" % t["name"])
        np.savez(path, **felt.print_table(scene, views, t))
        prints.append(path)
    jobs = [(scene, views, v, args.out, prints) for v in range(VIEWS)]
    if args.jobs > 1:
        with Pool(args.jobs) as pool:
            pool.map(paint_view, jobs)
    else:
        for j in jobs:
            paint_view(j)
    for path in prints:
        os.remove(path)
    paint_small(scene, args.out)


if __name__ == "__main__":
    main()
