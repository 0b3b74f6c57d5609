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
    out = ["%s_table%d.bmp" % (t, v) for t in tables_of(scene) for v in range(VIEWS)]
    return out + [name for name, _ in small_pictures(scene)]


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
    tables = [t for t, p in zip(scene["tables"], prints) if p]
    masks = [dict(np.load(p)) for p in prints if p]
    pictures = table.TableRenderer(scene, views).render(v, masks)
    for t, pic in zip(tables, pictures):
        common.write_bmp(os.path.join(out, "%s_table%d.bmp" % (t["name"], v)), pic)


def small_pictures(scene):
    """The name and the painter of every picture but the table views."""
    card, ic, c = scene["card"], scene["icons"], scene["controls"]
    w, h = card["pixelsWide"], card["pixelsHigh"]
    cw, ch = scene["chips"]["size"]
    pw, ph = c["infoPopup"]

    def looks(paint):
        return lambda: np.concatenate([paint(state) for state in range(4)], 1)

    items = [
        ("cards.bmp", lambda: cards.sheet(w, h)),
        ("back.bmp", lambda: cards.back(w, h)),
        ("light.bmp", lambda: misc.spot_light(64)),
        ("arrow.bmp", lambda: misc.arrow_texture(32, 64)),
        ("icons.bmp", lambda: icons.strip(ic["cell"], (ic["male"], ic["female"], ic["other"]))),
        ("smallchips.bmp", lambda: chips.strip(cw, ch)),
        ("chipbuttons.bmp", lambda: panel.chip_buttons(CHIP_BUTTON)),
        ("tray.bmp", lambda: panel.tray(260, 52, [(8 + 50 * k, 4, 44, 44) for k in range(5)])),
        ("traylight.bmp", lambda: panel.tray_light(48, 48)),
        ("nameplate.bmp", lambda: misc.plate(*c["tag"])),
        # A seat that cannot be taken offers nothing: the disabled look is see-through.
        ("sitdown.bmp", looks(lambda state: misc.plate(*c["tag"], "SIT DOWN", state) if state < 3
                              else misc.see_through(*c["tag"]))),
        ("bubble.bmp", lambda: misc.bubble(*c["bubble"])),
        ("infobutton.bmp", looks(lambda state: misc.round_button(26, "i", state))),
        ("closebutton.bmp", looks(lambda state: misc.round_button(26, "x", state))),
        ("digits.bmp", lambda: misc.digits(12, 18)),
    ]
    for t in scene["tables"]:
        for k in range(3):
            items.append(("%s_popup%d.bmp" % (t["name"], k + 1), lambda t=t, k=k: misc.popup(pw, ph, k, popup_text(t))))
    return items


def paint_small(scene, out, wanted):
    for name, paint in small_pictures(scene):
        if name in wanted:
            common.write_bmp(os.path.join(out, name), paint())


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--list", action="store_true")
    ap.add_argument("--scene", default=os.path.join(os.path.dirname(os.path.abspath(__file__)), "scene.json"))
    ap.add_argument("--views")
    ap.add_argument("--out")
    ap.add_argument("--jobs", type=int, default=min(4, os.cpu_count() or 1))
    ap.add_argument("--only", nargs="*", help="paint only these pictures")
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
    wanted = set(args.only if args.only else names(scene))
    unknown = wanted - set(names(scene))
    if unknown:
        ap.error("no such picture: " + " ".join(sorted(unknown)))
    # Each table's print once, handed to the views through files beside the pictures.
    prints = []
    for t in scene["tables"]:
        path = ""
        if any("%s_table%d.bmp" % (t["name"], v) in wanted for v in range(VIEWS)):
            path = os.path.join(args.out, ".%s_print.npz" % t["name"])
            np.savez(path, **felt.print_table(scene, views, t))
        prints.append(path)
    jobs = [(scene, views, v, args.out, prints) for v in range(VIEWS)
            if any("%s_table%d.bmp" % (t["name"], v) in wanted for t in scene["tables"])]
    if args.jobs > 1:
        with Pool(args.jobs) as pool:
            pool.map(paint_view, jobs)
    else:
        for j in jobs:
            paint_view(j)
    for path in prints:
        if path:
            os.remove(path)
    paint_small(scene, args.out, wanted)


if __name__ == "__main__":
    main()
