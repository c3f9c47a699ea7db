#!/usr/bin/env python3
"""Writes the bundled demo scene into data/demo/: the vehicle and scenery pictures
(GIF files drawn by tools/demo_art), the stock file demo.stk that describes the
vehicles, and the scene scripts that run them: demo.ttt, and snow.ttt, the same station
in falling snow.

Everything here is our own: the pictures are drawn pixel by pixel from the code in
tools/demo_art, the texts are written from the stock and script formats. The places of
doors, pantographs and lamps in the stock descriptions come from the drawings, so the
two always agree. Run it again after changing a drawing; the output is the same on
every machine.

Usage: tools/make_demo.py [output folder]   (default: data/demo beside this folder)
"""
import os
import sys

sys.dont_write_bytecode = True  # leave no cache folder in tools/
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from demo_art import scenery, vehicles  # noqa: E402
from demo_art.gif import gif_bytes  # noqa: E402
from demo_art.raster import INDEX, PALETTE  # noqa: E402

AUTHOR = "YOV"
IMGY = vehicles.HEIGHT
PANTO = "PANTO"
PLATE_FONT = "PLATEFONT"
# The locomotive's running number, in the plate font on its red band left of the emblem.
E40_NUMBER = "140 012"
E40_PLATE_AT = (34, 39)
DOOR_TIME = 6  # 10-ms ticks per door frame
DOOR_FRAMES = 5
PANTO_TIME = 15


def hex_colour(name):
    r, g, b = PALETTE[INDEX[name]][1]
    return "#%02X%02X%02X" % (r, g, b)


def door_items(key, door, v):
    return "".join("[%s:C=%s;X=%d;Y=%d;T=%d;N=%d]" % (key, door, x, y, DOOR_TIME, DOOR_FRAMES)
                   for x, y in v.doors)


def panto_items(v):
    return "".join("[ET:%s,%d,%d]" % (PANTO, x, y) for x, y in v.pantographs)


def plate_item(font, text, at):
    return '[T:A=%s;X=%d;Y=%d;T="%s"]' % (font, at[0], at[1], text)


def recolour_items(pairs):
    return "".join("[C:%s,%s]" % (hex_colour(old), hex_colour(new)) for old, new in pairs)


class Entry:
    """One line of the stock part: name, type and way letters, picture file, description."""

    def __init__(self, name, type_letter, way_letter, picture, description=""):
        self.name = name
        self.code = type_letter + way_letter
        self.picture = picture
        self.description = description

    def line(self):
        text = "%s;%s *%s;G;;%s" % (self.name, self.code, AUTHOR, self.picture)
        return text + (";" + self.description if self.description else "")


def build():
    """The pictures (file name -> (canvas, transparent)) and the stock entries by category."""
    e40 = vehicles.electric_loco()
    diesel = vehicles.diesel_loco()
    railcar = vehicles.railcar()
    coach_a = vehicles.coach_a()
    coach_b = vehicles.coach_b()
    box = vehicles.box_wagon()
    tank = vehicles.tank_wagon()
    pictures = {
        "e40.gif": (e40.canvas, True),
        "diesel.gif": (diesel.canvas, True),
        "railcar.gif": (railcar.canvas, True),
        "coach_a.gif": (coach_a.canvas, True),
        "coach_b.gif": (coach_b.canvas, True),
        "wagon_box.gif": (box.canvas, True),
        "wagon_tank.gif": (tank.canvas, True),
        "panto.gif": (vehicles.pantograph_frames(), True),
        "plate_font.gif": (vehicles.plate_font(), True),
        "door_a.gif": (vehicles.door_leaves(16, "green", "green_dk"), False),
        "door_a2.gif": (vehicles.door_leaves(16, "maroon", "maroon_dk"), False),
        "door_b.gif": (vehicles.door_leaves(16, "blue", "blue_dk", "cream"), False),
        "door_r.gif": (vehicles.door_leaves(18, "red", "red_dk", "cream"), False),
        "demo_land.gif": (scenery.landscape(), False),
        "demo_station.gif": (scenery.station(), True),
        "demo_masts.gif": (scenery.masts(), True),
    }
    lx, ly = diesel.lamps[0]
    panto_section = "[PAN:W=%d;H=%d;N=%d;SX=%d;T=%d][ANIM:PAN,*PAN=B]" % (
        vehicles.PANTO_W, vehicles.PANTO_H, vehicles.PANTO_FRAMES, vehicles.PANTO_W, PANTO_TIME)
    maroon = [("green", "maroon"), ("green_dk", "maroon_dk"), ("green_lt", "maroon_lt")]
    categories = [
        ("LOCO", "Locomotives", [
            Entry("E40", "R", "E", "e40.gif",
                  panto_items(e40) + plate_item(PLATE_FONT, E40_NUMBER, E40_PLATE_AT)),
            Entry("DIESEL", "Y", "R", "diesel.gif",
                  "[FL:X=%d;Y=%d;W=2;H=2;C=%s;T=25]" % (lx, ly, hex_colour("beacon"))),
        ]),
        ("UNITS", "Multiple units", [
            Entry("RAILCAR", "R", "E", "railcar.gif", panto_items(railcar) + door_items("DOD", "DOOR_R", railcar)),
        ]),
        ("COACHES", "Coaches", [
            Entry("COACH_A", "G", " ", "coach_a.gif", door_items("DID", "DOOR_A", coach_a)),
            Entry("COACH_A2", "L", " ", "coach_a.gif", recolour_items(maroon) + door_items("DID", "DOOR_A2", coach_a)),
            Entry("COACH_B", "B", " ", "coach_b.gif", door_items("DID", "DOOR_B", coach_b)),
        ]),
        ("FREIGHT", "Freight wagons", [
            Entry("WAGON_BOX", "N", " ", "wagon_box.gif"),
            Entry("WAGON_BOX2", "N", " ", "wagon_box.gif",
                  "[BC:-12,-15,0,0,%d,%d]" % (box.canvas.w, box.canvas.h)),
            Entry("WAGON_TANK", "W", " ", "wagon_tank.gif"),
        ]),
        ("PARTS", "Moving parts", [
            Entry(PANTO, "K", " ", "panto.gif", panto_section),
            Entry(PLATE_FONT, "K", " ", "plate_font.gif",
                  "[FONT:%s]%s" % (PLATE_FONT, vehicles.plate_characters())),
            Entry("DOOR_A", "G", " ", "door_a.gif"),
            Entry("DOOR_A2", "L", " ", "door_a2.gif"),
            Entry("DOOR_B", "B", " ", "door_b.gif"),
            Entry("DOOR_R", "R", " ", "door_r.gif"),
        ]),
    ]
    return pictures, categories


DESCRIPTIONS = [
    ("E40", ["%TRACTION E", "%POWER 3200", "%VMAX 140",
             "A double-cab electric locomotive for passenger and freight trains.",
             "It runs with one pantograph raised, normally the rear one."]),
    ("DIESEL", ["%TRACTION D", "%POWER 650", "%VMAX 60",
                "A centre-cab diesel for shunting and short trips with freight.",
                "Its orange beacon flashes while it shunts."]),
    ("RAILCAR", ["%TRACTION E", "%POWER 800", "%VMAX 120", "%SEATS 64",
                 "An electric railcar with a cab at both ends and two double doors.",
                 "Two of them couple into one train and split again."]),
    ("COACH_A,COACH_A2", ["%TRACTION N", "%VMAX 120", "%SEATS 72",
                          "A second-class coach with inner sliding doors near both ends.",
                          "COACH_A2 is the same coach in the maroon livery."]),
    ("COACH_B", ["%TRACTION N", "%VMAX 140", "%SEATS 48",
                 "A first-class coach with wide windows; its doors sit in from the ends."]),
    ("WAGON_BOX,WAGON_BOX2", ["%TRACTION N", "%LOAD 25",
                              "A covered goods van with a sliding door.",
                              "WAGON_BOX2 is an older, weathered one."]),
    ("WAGON_TANK", ["%TRACTION N", "%LOAD 40", "A tank wagon for liquids."]),
    (PANTO, ["Single-arm pantograph in four frames, from lowered to raised.",
             "The locomotive and the railcar carry it on their roofs."]),
    (PLATE_FONT, ["The digits of the running numbers on the locomotives, three by five pixels."]),
    ("DOOR_A,DOOR_A2,DOOR_B,DOOR_R", ["The two leaves of a closed double door.",
                                       "The coaches and the railcar open them at the platform."]),
]


def stock_text(categories):
    sky = PALETTE[INDEX["sky5"]][1]
    entries = sum(len(items) for _, _, items in categories)
    lines = [
        "# Stock of the Yov demo scene; written by tools/make_demo.py, do not edit by hand.",
        "$AUTHCNT 1",
        "$AUTHK K=%s;S=Yov;N=The Yov project;D=Our own artwork, drawn by tools/make_demo.py;" % AUTHOR,
        "$IMGY %d" % IMGY,
        "$BACKGROUND R=%d;G=%d;B=%d" % sky,
        "$TXTEND",
        "$CATCNT %d" % len(categories),
        "$STOCKCNT %d" % entries,
    ]
    for key, title, items in categories:
        lines.append("$CAT L=1;K=%s;T=%s;N=%s;" % (key, title, title))
        lines += [e.line() for e in items]
    lines += [
        "$ENDSTOCK",
        "",
        "$DESCKEYCNT 5",
        "$DESCVALCNT 3",
        "$DESCCNT %d" % len(DESCRIPTIONS),
        "$DESCKEY K=TRACTION;N=Traction;S=N;L=Y;",
        "$DESCVALUE K=E;S=electric;N=Electric",
        "$DESCVALUE K=D;S=diesel;N=Diesel",
        "$DESCVALUE K=N;S=hauled;N=Hauled",
        "$DESCKEY K=POWER;N=Power;U=kW;A=P;S=N;L=Y;",
        "$DESCKEY K=VMAX;N=Top speed;U=km/h;A=V;S=N;L=Y;",
        "$DESCKEY K=SEATS;N=Seats;S=N;L=Y;",
        "$DESCKEY K=LOAD;N=Payload;U=t;S=N;L=Y;",
        "",
    ]
    for names, text in DESCRIPTIONS:
        lines.append("$DESC " + names)
        lines += text
        lines.append("")
    lines.append("$ENDDESC")
    return "".join(line + "\r\n" for line in lines)


def script_text():
    far, near = scenery.FAR_RAIL, scenery.NEAR_RAIL
    lines = [
        "; The Yov demo scene: a country station on an electrified double-track line.",
        "; Written by tools/make_demo.py; change the generator rather than this file.",
        "$INFO Yov demo: a country station on an electrified double-track line.",
        "$INFO Trains stop at the platform and open their doors, railcars couple and split,",
        "$INFO freight runs through, a locomotive changes pantographs and a shunter reverses.",
        "$VERSION 1.0",
        "$OPT K=MOREFREIGHT;N=Long freight trains on the near track;V=1",
        "$STOCK demo.stk",
        "$BACKGROUND %s" % hex_colour("sky5"),
        "",
        "; Compositions: vehicle names of the stock, a random wagon for each WAGON.",
        "$DEFINE REGIO=E40,COACH_A,COACH_B,COACH_A2",
        "$DEFINE WAGON=(WAGON_BOX|WAGON_BOX2|WAGON_TANK)",
        "; The doors of a train standing at the platform: open, wait, close.",
        "%DEF(DOORS=OPEN,W,5,CLOSE,W,1)",
        "",
        "; The background: the landscape repeated across the scene, the station in the",
        "; middle of it, then the masts and lamps in front of the station.",
        "$SCENE BG=(demo_land.gif:0..100;demo_station.gif:*50,%d;demo_masts.gif:0..100)"
        % scenery.PLATFORM_BACK,
        "",
        "; The platform track, run from right to left: trains stop at the station.",
        "$PATH Y=%d;W=E;D=L;SEQ=F;NL" % far,
        "M=OPEN;C=REGIO;TB=PBU;P=12;T1=1;T2=6;T3=2;V=6;TX=Regional train",
        "M=SIMPLE;C=DIESEL,5*WAGON;V=8;TX=Freight",
        "M=UNIT;C1=RAILCAR;C2=RAILCAR;TB=PU;P=30;T1=2;T2=2;V=5;TX=Railcars coupling",
        "M=STOP;C=E40;TB=PBU;P=40;T=PBD,W,2,PFU,W,2;V=5;TX=Changing pantographs",
        "$ENDPATH",
        "",
        "; The near track, run from left to right.",
        "$PATH Y=%d;W=E;D=R;SEQ=F;NL" % near,
        "M=SIMPLE;C=E40,6*WAGON;TB=PBU;V=9;TX=Freight",
        "M=CUT;C1=RAILCAR;C2=RAILCAR;TB=PU;P=70;T1=3;T2=5;V=5;TX=Railcars splitting",
        "M=BACK;C=DIESEL,WAGON_BOX,WAGON_TANK;TB=ON;P=60;T=3;V=4;TX=Shunting",
        "{MOREFREIGHT=y ? M=SIMPLE;C=E40,10*WAGON;TB=PBU;V=8;TX=Long freight }",
        "M=STOP;C=RAILCAR;TB=PU;P=62;V=6;TX=Local train;T=%DOORS",
        "$ENDPATH",
        "$ENDSCENE",
    ]
    return "".join(line + "\r\n" for line in lines)


def snow_script_text():
    far, near = scenery.FAR_RAIL, scenery.NEAR_RAIL
    lines = [
        "; The Yov snow scene: the demo's station in falling snow.",
        "; Written by tools/make_demo.py; change the generator rather than this file.",
        "$INFO Yov snow: the country station of the demo in falling snow.",
        "$INFO Every train brings its snow: it thickens as the train comes in and thins out",
        "$INFO again while it stands at the platform.",
        "$VERSION 1.0",
        "$STOCK demo.stk",
        "$BACKGROUND %s" % hex_colour("sky5"),
        "",
        "$DEFINE REGIO=E40,COACH_A,COACH_B,COACH_A2",
        "$DEFINE WAGON=(WAGON_BOX|WAGON_BOX2|WAGON_TANK)",
        "; Snow over the whole band of the line: 3 per cent of the pixels, one row every 50 ms,",
        "; reaching its full intensity in 4 seconds.",
        "%DEF(SNOW=[SNOW:I=3;V=50;S=4])",
        "%DEF(DOORS=OPEN,W,5,CLOSE,W,1,[ENDSNOW:T=3])",
        "",
        "$SCENE BG=(demo_land.gif:0..100;demo_station.gif:*50,%d;demo_masts.gif:0..100)"
        % scenery.PLATFORM_BACK,
        "",
        "$PATH Y=%d;W=E;D=L;SEQ=F;NL" % far,
        "M=STOP;C=REGIO;TB=%SNOW,PBU;P=40;V=6;TX=Regional train in the snow;T=%DOORS",
        "M=SIMPLE;C=DIESEL,5*WAGON;TB=%SNOW;V=7;TX=Freight in the snow",
        "$ENDPATH",
        "",
        "$PATH Y=%d;W=E;D=R;SEQ=F;NL" % near,
        "M=SIMPLE;C=E40,6*WAGON;TB=[SNOW:I=6;V=30;S=0],PBU;V=9;TX=Freight in heavy snow",
        "M=STOP;C=RAILCAR;TB=%SNOW,PU;P=62;V=6;TX=Local train;T=%DOORS",
        "$ENDPATH",
        "$ENDSCENE",
    ]
    return "".join(line + "\r\n" for line in lines)


def busy_script_text():
    """Sixty-four trains on sixteen tracks over the demo's landscape, coaches and railcars with
    doors among them: the show's presentation under load (tools/present_figures.py). Queued
    trains start one every two seconds, so the show runs slowly ($SPEED) for each train to
    stay on the scene until the last has come on, about two minutes after the start, on
    screens from 1280 pixels wide."""
    comps = ["E40,COACH_A,COACH_B", "DIESEL,WAGON_BOX,WAGON_TANK,WAGON", "RAILCAR,RAILCAR", "E40,WAGON_TANK,WAGON,WAGON",
             "E40,COACH_A2,COACH_B", "WAGON_BOX,WAGON_TANK,WAGON,DIESEL", "RAILCAR,RAILCAR,RAILCAR",
             "DIESEL,WAGON,WAGON_BOX,WAGON_TANK"]
    lines = [
        "; The Yov busy scene: sixty-four trains on sixteen tracks over the demo's landscape.",
        "; Written by tools/make_demo.py; change the generator rather than this file.",
        "$INFO Yov busy: sixty-four trains at once, for measuring the show under load;",
        "$INFO all of them are on the scene from about two minutes after the start.",
        "$VERSION 1.0",
        "$STOCK demo.stk",
        "$BACKGROUND %s" % hex_colour("sky5"),
        "$SPEED 8",
        "$DEFINE WAGON=(WAGON_BOX|WAGON_BOX2|WAGON_TANK)",
        "$SCENE BG=(demo_land.gif:0..100)",
    ]
    for track in range(16):
        for k in range(4):
            lines += [
                "$PATH Y=%d;W=E;D=%s;SEQ=F;NL" % (20 + 40 * track, "LR"[(track + k) % 2]),
                "M=SIMPLE;C=%s;V=2" % comps[(track * 4 + k) % 8],
                "$ENDPATH",
            ]
    lines.append("$ENDSCENE")
    return "".join(line + "\r\n" for line in lines)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "data", "demo")
    os.makedirs(out, exist_ok=True)
    pictures, categories = build()
    for name, (canvas, transparent) in pictures.items():
        with open(os.path.join(out, name), "wb") as f:
            f.write(gif_bytes(canvas, transparent))
    with open(os.path.join(out, "demo.stk"), "wb") as f:
        f.write(stock_text(categories).encode("ascii"))
    with open(os.path.join(out, "demo.ttt"), "wb") as f:
        f.write(script_text().encode("ascii"))
    with open(os.path.join(out, "snow.ttt"), "wb") as f:
        f.write(snow_script_text().encode("ascii"))
    with open(os.path.join(out, "busy.ttt"), "wb") as f:
        f.write(busy_script_text().encode("ascii"))


if __name__ == "__main__":
    main()
