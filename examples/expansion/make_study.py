#!/usr/bin/env python3
"""Writes the input files of the example expansion study.

The study is a made-up continent of 100 x 80 cells of 10 km: a coastline with
capes and bays, a mountain range across the north with bare summits and a
spur running south-east, a pass through the range where a river rises and runs
down a valley to the western sea, a few lakes, and one source population in
the southern lowlands.

Every file is written next to this script:

    vegetation.asc   present vegetation classes (integers, -9999 = water)
    altitude.asc     altitude in metres (one decimal, -9999 = water)
    rivers.asc       hydrography: 1 on river cells, -9999 elsewhere
    veg2k.txt        index of the carrying-capacity tables -> veg2k_g0.txt
    veg2f.txt        index of the friction tables          -> veg2f_g0.txt
    sources.txt      the population sources
    places.col       five named places whose arrival times are reported
    samples.sam      ten samples of 20 genes for the genetic simulations, one
                     of them ancient
    genetics.par     the genetic markers: one chromosome of 500 DNA sites and
                     10 microsatellites

settings.txt and README.md are written by hand and are not touched.

Only the Python standard library is used. The random numbers come from one
fixed seed, and the maps are computed with correctly rounded arithmetic only
(+, -, *, /, sqrt: no exp, sin or log whose last bit may vary between
platforms), so that a rerun writes the same bytes. After writing, the script
reads the files back and checks that the maps share one geometry, that every
class has a carrying capacity, and that the source and every place lie on
habitable land. Run it from anywhere:  python3 make_study.py
"""

import math
import os
import random
import sys
from collections import deque

SEED = 200611000
NCOLS, NROWS = 100, 80
CELLSIZE = 10.0          # km
XLLCORNER = 0.0
YLLCORNER = 0.0
NODATA = -9999

HERE = os.path.dirname(os.path.abspath(__file__))

# Vegetation classes: (id, label, K, F).  K is the carrying capacity in
# individuals per cell, F the friction (strictly between 0 and 1; migrants
# leave a cell towards its neighbours in proportion to 1/F).
CLASSES = [
    (1, "grassland", 150, 0.25),
    (2, "open_woodland", 120, 0.35),
    (3, "dense_forest", 80, 0.55),
    (4, "wetland", 100, 0.60),
    (5, "alpine_scrub", 25, 0.85),
    (6, "rock_and_ice", 0, 0.99),
]
GRASS, WOODLAND, FOREST, WETLAND, ALPINE, ROCK = 1, 2, 3, 4, 5, 6
K_OF = {c[0]: c[2] for c in CLASSES}

SOURCE_NAME = "Origin"
SOURCE_SIZE = 50
SOURCE_MIN_COAST_DISTANCE = 12   # cells

# Genetic samples: 20 genes each, at the source, at the five places and at
# four more cells spread over the continent; the last one is ancient, taken
# at generation 700 (300 generations before the present), long after the
# expansion reached its cell.
SAMPLE_GENES = 20
ANCIENT_DATE = 700
EXTRA_SAMPLES = [("Centre", (36, 50)), ("NorthEast", (22, 90)),
                 ("SouthEast", (66, 80)), ("Ancient", (46, 70))]

# The genetic parameters file: one chromosome, unlinked to nothing else, of
# 500 DNA sites (mutation rate per site and generation, base frequencies
# A C G T, exchange rates AC AG AT CG CT GT: transitions four times as likely
# as transversions) and 10 single-step microsatellites without range
# constraint; no recombination.
GENETICS_PAR = """1
#chromosome 1
2
DNA 500 0 0.000005 0.25 0.25 0.25 0.25 1 4 1 1 4 1
MICROSAT 10 0 0.001 0 0
"""

rng = random.Random(SEED)


# --------------------------------------------------------------------------
# Noise
# --------------------------------------------------------------------------
def value_noise(spacing):
    """A smooth random field in [0, 1] with features about `spacing` cells wide."""
    nr = NROWS // spacing + 2
    nc = NCOLS // spacing + 2
    lattice = [[rng.random() for _ in range(nc)] for _ in range(nr)]

    def smooth(t):
        return t * t * (3.0 - 2.0 * t)

    field = []
    for r in range(NROWS):
        row = []
        for c in range(NCOLS):
            y, x = r / spacing, c / spacing
            i, j = int(y), int(x)
            ty, tx = smooth(y - i), smooth(x - j)
            top = lattice[i][j] * (1 - tx) + lattice[i][j + 1] * tx
            bottom = lattice[i + 1][j] * (1 - tx) + lattice[i + 1][j + 1] * tx
            row.append(top * (1 - ty) + bottom * ty)
        field.append(row)
    return field


def fractal_noise(spacings, weights):
    layers = [value_noise(s) for s in spacings]
    total = sum(weights)
    return [[sum(w * layer[r][c] for layer, w in zip(layers, weights)) / total
             for c in range(NCOLS)] for r in range(NROWS)]


# --------------------------------------------------------------------------
# Grid helpers
# --------------------------------------------------------------------------
def neighbours4(r, c):
    for dr, dc in ((-1, 0), (0, -1), (1, 0), (0, 1)):
        rr, cc = r + dr, c + dc
        if 0 <= rr < NROWS and 0 <= cc < NCOLS:
            yield rr, cc


def components(mask):
    """4-connected components of the True cells of mask, largest first."""
    seen = [[False] * NCOLS for _ in range(NROWS)]
    comps = []
    for r in range(NROWS):
        for c in range(NCOLS):
            if mask[r][c] and not seen[r][c]:
                comp, queue = [], deque([(r, c)])
                seen[r][c] = True
                while queue:
                    cell = queue.popleft()
                    comp.append(cell)
                    for n in neighbours4(*cell):
                        if mask[n[0]][n[1]] and not seen[n[0]][n[1]]:
                            seen[n[0]][n[1]] = True
                            queue.append(n)
                comps.append(comp)
    comps.sort(key=len, reverse=True)
    return comps


def bfs_distance(starts, passable):
    """Steps (4-neighbour) from the nearest start cell through passable cells."""
    dist = [[None] * NCOLS for _ in range(NROWS)]
    queue = deque()
    for r, c in starts:
        dist[r][c] = 0
        queue.append((r, c))
    while queue:
        r, c = queue.popleft()
        for rr, cc in neighbours4(r, c):
            if dist[rr][cc] is None and passable(rr, cc):
                dist[rr][cc] = dist[r][c] + 1
                queue.append((rr, cc))
    return dist


def bfs_nearest(starts):
    """Steps (4-neighbour) to the nearest start cell, and the index of that cell."""
    dist = [[None] * NCOLS for _ in range(NROWS)]
    nearest = [[None] * NCOLS for _ in range(NROWS)]
    queue = deque()
    for i, (r, c) in enumerate(starts):
        if dist[r][c] is None:
            dist[r][c], nearest[r][c] = 0, i
            queue.append((r, c))
    while queue:
        r, c = queue.popleft()
        for rr, cc in neighbours4(r, c):
            if dist[rr][cc] is None:
                dist[rr][cc], nearest[rr][cc] = dist[r][c] + 1, nearest[r][c]
                queue.append((rr, cc))
    return dist, nearest


def segment_distance(px, py, ax, ay, bx, by):
    """Distance from point p to segment ab, and the position t (0..1) on it."""
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = min(1.0, max(0.0, t))
    qx, qy = ax + t * dx - px, ay + t * dy - py
    return math.sqrt(qx * qx + qy * qy), t


def polyline_distance(px, py, points):
    """Distance to a polyline, and the position along it (0 at the first point)."""
    best, where = None, 0.0
    for k in range(len(points) - 1):
        d, t = segment_distance(px, py, *points[k], *points[k + 1])
        if best is None or d < best:
            best, where = d, (k + t) / (len(points) - 1)
    return best, where


def cell_xy(r, c):
    """Map coordinates (x, y) of the centre of the cell at row r, column c."""
    return (XLLCORNER + (c + 0.5) * CELLSIZE,
            YLLCORNER + (NROWS - 1 - r + 0.5) * CELLSIZE)


def xy_cell(x, y):
    """The cell (row, column) that holds the point (x, y), as the program finds it."""
    c = int(abs(XLLCORNER - x) / CELLSIZE)
    r = NROWS - 1 - int(abs(YLLCORNER - y) / CELLSIZE)
    return r, c


# --------------------------------------------------------------------------
# Landscape
# --------------------------------------------------------------------------
def make_land():
    """True for land. One continent, no islands, no enclosed water."""
    shape = fractal_noise([24, 12, 6, 3], [0.45, 0.30, 0.15, 0.10])
    # (column, row) segments that add land (a peninsula, a cape) or take it
    # away (bays), with their half-width in cells and strength
    features = [
        ((70.0, 62.0), (84.0, 75.0), 5.0, 0.55),     # south-eastern peninsula
        ((18.0, 40.0), (4.0, 36.0), 4.0, 0.45),      # western cape
        ((62.0, 0.0), (60.0, 8.0), 4.0, -0.50),     # northern bay
        ((30.0, 79.0), (36.0, 66.0), 5.0, -0.50),    # southern gulf
        ((99.0, 30.0), (88.0, 33.0), 4.0, -0.45),    # eastern inlet
    ]
    land = [[False] * NCOLS for _ in range(NROWS)]
    for r in range(NROWS):
        for c in range(NCOLS):
            if r < 2 or c < 2 or r >= NROWS - 2 or c >= NCOLS - 2:
                continue          # open sea all round the continent
            u = ((c + 0.5) / NCOLS * 2.0 - 1.0) / 0.90
            v = ((r + 0.5) / NROWS * 2.0 - 1.0) / 0.86
            score = 1.0 - math.sqrt(u * u + v * v) + 1.1 * (shape[r][c] - 0.5)
            for a, b, width, strength in features:
                d, _ = segment_distance(float(c), float(r), *a, *b)
                if d < width:
                    score += strength * (1.0 - (d / width) * (d / width))
            land[r][c] = score > 0.0

    # Keep the largest landmass only, then fill every water body that does
    # not reach the open sea: the lakes are placed by hand below.
    keep = set(components(land)[0])
    for r in range(NROWS):
        for c in range(NCOLS):
            land[r][c] = (r, c) in keep
    water = [[not land[r][c] for c in range(NCOLS)] for r in range(NROWS)]
    sea = set(components_touching_border(water))
    for r in range(NROWS):
        for c in range(NCOLS):
            land[r][c] = (r, c) not in sea
    return land


def components_touching_border(water):
    starts = [(r, c) for r in range(NROWS) for c in range(NCOLS)
              if water[r][c] and (r in (0, NROWS - 1) or c in (0, NCOLS - 1))]
    dist = bfs_distance(starts, lambda r, c: water[r][c])
    return [(r, c) for r in range(NROWS) for c in range(NCOLS)
            if dist[r][c] is not None]


def jittered_polyline(points, amount):
    """The control points with a small random shift of the inner ones."""
    out = [points[0]]
    for x, y in points[1:-1]:
        out.append((x + rng.uniform(-amount, amount),
                    y + rng.uniform(-amount, amount)))
    out.append(points[-1])
    return out


def make_altitude(land, coast_dist):
    """Altitude in metres on land (None on water), before the river valley."""
    lowland = fractal_noise([16, 8, 4], [0.5, 0.3, 0.2])
    rugged = fractal_noise([6, 3], [0.6, 0.4])
    crest = value_noise(8)

    # The main range runs west-north-west to east-north-east across the
    # north of the continent; a lower spur runs south-east from its middle.
    main_ridge = jittered_polyline(
        [(14.0, 24.0), (30.0, 17.0), (48.0, 19.0), (66.0, 14.0), (86.0, 20.0)], 2.0)
    spur = jittered_polyline([(52.0, 20.0), (62.0, 32.0), (74.0, 41.0)], 1.5)

    alt = [[None] * NCOLS for _ in range(NROWS)]
    for r in range(NROWS):
        for c in range(NCOLS):
            if not land[r][c]:
                continue
            inland = min(1.0, coast_dist[r][c] / 18.0)
            h = 20.0 + inland * (120.0 + 380.0 * lowland[r][c])

            d, t = polyline_distance(float(c), float(r), main_ridge)
            height = 1900.0 + 1500.0 * crest[r][c]
            if 0.31 < t < 0.47:       # a pass across the range
                height *= 0.35 + 8.1 * abs(t - 0.39)
            width = 7.0
            if d < width:
                q = 1.0 - (d / width) * (d / width)
                h += height * q * q

            d, t = polyline_distance(float(c), float(r), spur)
            width = 5.0
            if d < width:
                q = 1.0 - (d / width) * (d / width)
                h += (1500.0 - 700.0 * t) * q * q

            # bumps in proportion to the height reached so far
            h *= 0.85 + 0.3 * rugged[r][c]
            alt[r][c] = h
    return alt


def rasterise(points):
    """A 4-connected chain of cells along the polyline of (column, row) points."""
    cells = []
    for k in range(len(points) - 1):
        (x0, y0), (x1, y1) = points[k], points[k + 1]
        steps = int(2 * max(abs(x1 - x0), abs(y1 - y0))) + 1
        for s in range(steps + 1):
            x = x0 + (x1 - x0) * s / steps
            y = y0 + (y1 - y0) * s / steps
            cell = (int(y + 0.5), int(x + 0.5))
            if cells and cell == cells[-1]:
                continue
            if cells:
                pr, pc = cells[-1]
                if pr != cell[0] and pc != cell[1]:      # a diagonal step
                    cells.append((pr, cell[1]))
            cells.append(cell)
    return cells


def make_river(land):
    """River cells from a spring in the range down to the western sea."""
    course = [(37.0, 16.0), (40.0, 22.0), (40.0, 28.0), (35.0, 33.0), (30.0, 36.0),
              (24.0, 41.0), (17.0, 43.0), (10.0, 47.0), (0.0, 49.0)]
    course = jittered_polyline(course, 1.5)
    river = []
    for r, c in rasterise(course):
        if not (0 <= r < NROWS and 0 <= c < NCOLS) or not land[r][c]:
            if river:
                break             # the mouth: the river ends at the sea
            continue
        river.append((r, c))
    return river


def place_lakes(land, coast_dist, river):
    """A few small lakes in the lowlands, away from the sea."""
    river_set = set(river)
    centres = [(60, 30), (52, 70), (40, 58), (34, 22)]   # (row, column) targets
    lakes = []
    for row0, col0 in centres:
        # nearest land cell well away from the coast and from the river
        best = None
        for r in range(NROWS):
            for c in range(NCOLS):
                if (land[r][c] and coast_dist[r][c] >= 6
                        and all(abs(r - rr) + abs(c - cc) > 3 for rr, cc in river_set)):
                    d = (r - row0) ** 2 + (c - col0) ** 2
                    if best is None or d < best[0]:
                        best = (d, r, c)
        _, r0, c0 = best
        radius = rng.uniform(1.6, 2.8)
        stretch = rng.uniform(0.6, 1.6)
        for r in range(NROWS):
            for c in range(NCOLS):
                dy, dx = (r - r0) * stretch, (c - c0) / stretch
                if dy * dy + dx * dx <= radius * radius + rng.uniform(-1.0, 1.0):
                    if land[r][c] and coast_dist[r][c] >= 3 and (r, c) not in river_set:
                        lakes.append((r, c))
    return sorted(set(lakes))


def classify(alt, land, moisture, wet_dist):
    """Vegetation class of every land cell (None on water)."""
    veg = [[None] * NCOLS for _ in range(NROWS)]
    for r in range(NROWS):
        for c in range(NCOLS):
            if not land[r][c]:
                continue
            a = alt[r][c]
            # the west is wetter (winds from the western sea)
            wet = 0.65 * moisture[r][c] + 0.35 * (1.0 - c / (NCOLS - 1))
            if a >= 2300.0:
                v = ROCK
            elif a >= 1500.0:
                v = ALPINE
            elif a < 250.0 and wet_dist[r][c] is not None and wet_dist[r][c] <= 1:
                v = WETLAND
            elif a >= 800.0 or wet > 0.62:
                v = FOREST
            elif wet > 0.42:
                v = WOODLAND
            else:
                v = GRASS
            veg[r][c] = v
    return veg


def require(ok, what):
    if not ok:
        sys.exit("make_study.py: check failed: %s" % (what,))


def nearest_cell(target, ok):
    """The cell closest to target (row, column) for which ok(r, c) holds."""
    best = None
    for r in range(NROWS):
        for c in range(NCOLS):
            if ok(r, c):
                d = (r - target[0]) ** 2 + (c - target[1]) ** 2
                if best is None or d < best[0]:
                    best = (d, r, c)
    if best is None:
        sys.exit("no cell found near %r" % (target,))
    return best[1], best[2]


# --------------------------------------------------------------------------
# Writers
# --------------------------------------------------------------------------
def write(name, text):
    with open(os.path.join(HERE, name), "w", encoding="ascii", newline="\n") as f:
        f.write(text)


def grid_text(values, fmt):
    lines = [
        "ncols         %d" % NCOLS,
        "nrows         %d" % NROWS,
        "xllcorner     %g" % XLLCORNER,
        "yllcorner     %g" % YLLCORNER,
        "cellsize      %g" % CELLSIZE,
        "NODATA_value  %d" % NODATA,
    ]
    for row in values:
        lines.append(" ".join(str(NODATA) if v is None else fmt(v) for v in row))
    return "\n".join(lines) + "\n"


def main():
    land = make_land()
    sea = [[not land[r][c] for c in range(NCOLS)] for r in range(NROWS)]
    sea_cells = [(r, c) for r in range(NROWS) for c in range(NCOLS) if sea[r][c]]
    coast_dist = bfs_distance(sea_cells, lambda r, c: land[r][c])

    alt = make_altitude(land, coast_dist)
    river = make_river(land)
    lakes = place_lakes(land, coast_dist, river)
    for r, c in lakes:
        land[r][c] = False
        alt[r][c] = None

    # The river bed falls all the way from the spring to the mouth, and the
    # land around it slopes down to it: the valley is a low corridor from the
    # range to the sea.
    bed = []
    for r, c in river:
        level = 0.45 * alt[r][c]
        if bed:
            level = max(1.0, min(level, bed[-1] - 0.5))
        bed.append(level)
    river_dist, nearest = bfs_nearest(river)
    for r in range(NROWS):
        for c in range(NCOLS):
            if land[r][c]:
                d2 = float(river_dist[r][c] * river_dist[r][c])
                level = bed[nearest[r][c]]
                alt[r][c] = max(1.0, level + (alt[r][c] - level) * d2 / (d2 + 8.0))

    # Wetlands border the lakes and the lower course of the river.
    lower_river = [(r, c) for r, c in river if coast_dist[r][c] <= 8]
    wet_dist = bfs_distance(lakes + lower_river, lambda r, c: True)
    moisture = fractal_noise([12, 6], [0.7, 0.3])
    veg = classify(alt, land, moisture, wet_dist)

    # Altitude is written with one decimal: round now, so that the checks
    # below see the values the program will read.
    for r in range(NROWS):
        for c in range(NCOLS):
            if alt[r][c] is not None:
                alt[r][c] = float("%.1f" % alt[r][c])

    # ---- the source and the places -------------------------------------
    def habitable(r, c):
        return land[r][c] and K_OF[veg[r][c]] > 0

    src = nearest_cell((58, 58), lambda r, c: habitable(r, c)
                       and veg[r][c] in (GRASS, WOODLAND)
                       and coast_dist[r][c] >= SOURCE_MIN_COAST_DISTANCE
                       and wet_dist[r][c] >= 3)
    river_set = set(river)
    mouth = river[-1]
    places = [
        ("RiverMouth", nearest_cell(mouth, lambda r, c: (r, c) in river_set)),
        ("UpperValley", nearest_cell((27, 40), lambda r, c: (r, c) in river_set)),
        ("NorthShore", nearest_cell((4, 60), habitable)),
        ("WestCape", nearest_cell((45, 0), habitable)),
        ("EastPlain", nearest_cell((50, 97), habitable)),
    ]

    taken = {src} | {cell for _, cell in places}
    samples = [(SOURCE_NAME, src)] + places
    for name, target in EXTRA_SAMPLES:
        cell = nearest_cell(target, lambda r, c: habitable(r, c) and (r, c) not in taken
                            and K_OF[veg[r][c]] >= 2 * SAMPLE_GENES)
        taken.add(cell)
        samples.append((name, cell))

    # ---- checks ---------------------------------------------------------
    reach = bfs_distance([src], habitable)
    for name, (r, c) in [(SOURCE_NAME, src)] + places + samples:
        x, y = cell_xy(r, c)
        require(xy_cell(x, y) == (r, c), name + ": coordinates do not fall in its cell")
        require(land[r][c] and veg[r][c] is not None and alt[r][c] is not None,
                name + " lies on water")
        require(K_OF[veg[r][c]] > 0, name + " lies on a cell without carrying capacity")
        require(reach[r][c] is not None, name + " cannot be reached from the source")
    for r, c in river:
        require(land[r][c], "river cell (%d, %d) on water" % (r, c))
    land_cells = sum(row.count(True) for row in land)
    habitable_cells = sum(1 for r in range(NROWS) for c in range(NCOLS) if habitable(r, c))
    reachable = sum(1 for r in range(NROWS) for c in range(NCOLS)
                    if reach[r][c] is not None)

    # ---- files ----------------------------------------------------------
    write("vegetation.asc", grid_text(veg, str))
    write("altitude.asc", grid_text(alt, lambda v: "%.1f" % v))
    hydro = [[None] * NCOLS for _ in range(NROWS)]
    for r, c in river:
        hydro[r][c] = 1
    write("rivers.asc", grid_text(hydro, str))

    write("veg2k.txt", "1\n0 veg2k_g0.txt\n")
    write("veg2f.txt", "1\n0 veg2f_g0.txt\n")
    write("veg2k_g0.txt", "".join("%d %d %s\n" % (i, k, label) for i, label, k, _ in CLASSES))
    write("veg2f_g0.txt", "".join("%d %.2f %s\n" % (i, f, label) for i, label, _, f in CLASSES))

    x, y = cell_xy(*src)
    # name size latitude(y) longitude(x) size_before_expansion
    # bottleneck_duration size_before_bottleneck migration_before_expansion
    # layer expansion_time
    write("sources.txt", "1\n%s %d %.1f %.1f 0 0 0 0 0 0\n" % (SOURCE_NAME, SOURCE_SIZE, y, x))

    col = ["%d" % len(places)]
    for name, (r, c) in places:
        px, py = cell_xy(r, c)
        col.append("%s 0 %.1f %.1f 0" % (name, py, px))   # name population y x (unused)
    write("places.col", "\n".join(col) + "\n")

    sam = ["%d" % len(samples)]
    for name, (r, c) in samples:
        px, py = cell_xy(r, c)
        line = "%s %d 0 %.1f %.1f" % (name, SAMPLE_GENES, py, px)   # name genes population y x
        if name == "Ancient":
            line += " %d" % ANCIENT_DATE                           # date (generation)
        sam.append(line)
    write("samples.sam", "\n".join(sam) + "\n")
    write("genetics.par", GENETICS_PAR)

    verify()

    counts = {i: 0 for i, *_ in CLASSES}
    for r in range(NROWS):
        for c in range(NCOLS):
            if veg[r][c] is not None:
                counts[veg[r][c]] += 1
    print("grid %d x %d, %d land cells (%d habitable, %d reachable from the source)"
          % (NCOLS, NROWS, land_cells, habitable_cells, reachable))
    print("lakes: %d cells, river: %d cells" % (len(lakes), len(river)))
    print("classes: " + ", ".join("%s %d" % (label, counts[i]) for i, label, *_ in CLASSES))
    print("source %s at row %d, column %d (x %.1f, y %.1f)" % ((SOURCE_NAME,) + src + (x, y)))
    for name, (r, c) in places:
        print("place %-11s row %2d, column %2d, %s, %.1f m"
              % (name, r, c, dict((i, l) for i, l, *_ in CLASSES)[veg[r][c]], alt[r][c]))
    for name, (r, c) in samples:
        print("sample %-11s row %2d, column %2d, %s" % (name, r, c, dict((i, l) for i, l, *_ in CLASSES)[veg[r][c]]))


def read_grid(name):
    with open(os.path.join(HERE, name), encoding="ascii") as f:
        lines = f.read().split("\n")
    header = [line.split() for line in lines[:6]]
    values = [line.split() for line in lines[6:] if line.strip()]
    require(len(values) == NROWS and all(len(v) == NCOLS for v in values), name)
    return [h[1] for h in header], values


def verify():
    """Reads the written files back and checks them as the program will use them."""
    header, veg = read_grid("vegetation.asc")
    _, alt = read_grid("altitude.asc")
    _, hydro = read_grid("rivers.asc")
    for name in ("altitude.asc", "rivers.asc"):
        require(read_grid(name)[0] == header, name + ": geometry differs from vegetation.asc")
    nodata = str(NODATA)
    k_table = {}
    with open(os.path.join(HERE, "veg2k_g0.txt"), encoding="ascii") as f:
        for line in f:
            words = line.split()
            k_table[words[0]] = int(words[1])
    for r in range(NROWS):
        for c in range(NCOLS):
            require((veg[r][c] == nodata) == (alt[r][c] == nodata),
                    "water differs between the maps at (%d, %d)" % (r, c))
            require(veg[r][c] == nodata or veg[r][c] in k_table,
                    "class without K at (%d, %d)" % (r, c))
            require(hydro[r][c] == nodata or veg[r][c] != nodata,
                    "river on water at (%d, %d)" % (r, c))

    def check(name, x, y):
        r, c = xy_cell(x, y)
        require(0 <= r < NROWS and 0 <= c < NCOLS, name + " lies outside the grid")
        require(veg[r][c] != nodata and alt[r][c] != nodata, name + " lies on water")
        require(k_table[veg[r][c]] > 0, name + " lies on a cell without carrying capacity")

    with open(os.path.join(HERE, "sources.txt"), encoding="ascii") as f:
        words = f.read().split()
    for i in range(int(words[0])):
        record = words[1 + 10 * i: 11 + 10 * i]
        check(record[0], float(record[3]), float(record[2]))
    with open(os.path.join(HERE, "places.col"), encoding="ascii") as f:
        lines = f.read().split("\n")
    for line in lines[1: 1 + int(lines[0])]:
        name, _, y, x, _ = line.split()
        check(name, float(x), float(y))
    with open(os.path.join(HERE, "samples.sam"), encoding="ascii") as f:
        lines = f.read().split("\n")
    cells = set()
    for line in lines[1: 1 + int(lines[0])]:
        name, genes, _, y, x = line.split()[:5]
        check(name, float(x), float(y))
        r, c = xy_cell(float(x), float(y))
        require(k_table[veg[r][c]] >= 2 * int(genes), name + ": too few individuals for the sample")
        require((r, c) not in cells, name + ": two samples in one cell")
        cells.add((r, c))


if __name__ == "__main__":
    main()
