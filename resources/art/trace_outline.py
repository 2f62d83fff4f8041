#!/usr/bin/env python3
"""Traces the outline of a shaped picture from its SVG source into an .outline file.

A shaped picture draws its edge as one <path> stroked with the dark outline colour. The window's
outline must follow the outer side of that stroke (for a hole: the inner side), so this script
samples the path, offsets it by half the stroke width with mitred corners (the SVG default join),
thins the result to the vertices that matter and writes them in picture coordinates.

    trace_outline.py PICTURE.svg [--name TEXT] [--clip LEFT,TOP,RIGHT,BOTTOM] POLYGON... > picture.outline

Each POLYGON is MODE:ID:OFFSET: the combine mode (2 = OR, 4 = DIFF, ...), the id of a <path>, and
how far the outline lies outside the path (half the stroke width; negative for the inner edge).
--clip keeps every vertex inside the given box, so that an outline drawn a little wider than its
stroke (to cover a neighbour's outline along a shared edge) keeps its designed bounds.

Only what our pictures use is understood: path commands M L H V C Q S Z (absolute or relative)
and translate() transforms on the path and its groups. Run it again after changing an edge path.
"""
import math
import re
import sys
import xml.etree.ElementTree as ET

SVG = '{http://www.w3.org/2000/svg}'
STEP = 1.0          # sampling distance along curves, pixels
TOLERANCE = 0.45    # largest distance a dropped vertex may lie from the kept outline, pixels
MITER_LIMIT = 4.0   # SVG's default stroke-miterlimit


def tokens(d):
    for t in re.findall(r'[A-Za-z]|-?(?:\d+\.?\d*|\.\d+)(?:e-?\d+)?', d):
        yield t


def cubic(p0, p1, p2, p3):
    length = math.dist(p0, p1) + math.dist(p1, p2) + math.dist(p2, p3)
    n = max(2, int(length / STEP))
    pts = []
    for i in range(1, n + 1):
        t = i / n
        u = 1 - t
        pts.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return pts


def parse_path(d):
    """Returns the closed path as (points, corners): corners[i] is true where the path turns sharply
    (a join between commands that is not smooth), so the offset there gets a mitre."""
    toks = list(tokens(d))
    i = 0
    cmd = None
    cur = (0.0, 0.0)
    start = cur
    last_ctrl = None
    pts = []
    corner = []

    def num():
        nonlocal i
        v = float(toks[i])
        i += 1
        return v

    while i < len(toks):
        if re.match('[A-Za-z]', toks[i]):
            cmd = toks[i]
            i += 1
        rel = cmd.islower()
        c = cmd.upper()
        ox, oy = cur if rel else (0.0, 0.0)
        if c == 'M':
            cur = (ox + num(), oy + num())
            start = cur
            pts.append(cur)
            corner.append(True)
            cmd = 'l' if rel else 'L'
            last_ctrl = None
        elif c in 'LHV':
            if c == 'L':
                nxt = (ox + num(), oy + num())
            elif c == 'H':
                nxt = ((cur[0] if rel else 0.0) + num(), cur[1])
            else:
                nxt = (cur[0], (cur[1] if rel else 0.0) + num())
            corner[-1] = True
            pts.append(nxt)
            corner.append(True)
            cur = nxt
            last_ctrl = None
        elif c in 'CS':
            if c == 'C':
                p1 = (ox + num(), oy + num())
            else:
                p1 = (2 * cur[0] - last_ctrl[0], 2 * cur[1] - last_ctrl[1]) if last_ctrl else cur
            p2 = (ox + num(), oy + num())
            p3 = (ox + num(), oy + num())
            seg = cubic(cur, p1, p2, p3)
            pts.extend(seg)
            corner.extend([False] * (len(seg) - 1) + [True])
            cur = p3
            last_ctrl = p2
        elif c == 'Q':
            q = (ox + num(), oy + num())
            p3 = (ox + num(), oy + num())
            p1 = (cur[0] + 2 / 3 * (q[0] - cur[0]), cur[1] + 2 / 3 * (q[1] - cur[1]))
            p2 = (p3[0] + 2 / 3 * (q[0] - p3[0]), p3[1] + 2 / 3 * (q[1] - p3[1]))
            seg = cubic(cur, p1, p2, p3)
            pts.extend(seg)
            corner.extend([False] * (len(seg) - 1) + [True])
            cur = p3
            last_ctrl = None
        elif c == 'Z':
            cur = start
            last_ctrl = None
        else:
            sys.exit(f'unsupported path command {cmd}')
    if math.dist(pts[0], pts[-1]) < 1e-6:
        pts.pop()
        corner.pop()
    # A join is only a corner where the direction really changes: curves that meet smoothly are not.
    n = len(pts)
    for k in range(n):
        a, b, c = pts[k - 1], pts[k], pts[(k + 1) % n]
        turn = abs(angle_between((b[0] - a[0], b[1] - a[1]), (c[0] - b[0], c[1] - b[1])))
        corner[k] = corner[k] and turn > math.radians(3)
    return pts, corner


def angle_between(u, v):
    return math.atan2(u[0] * v[1] - u[1] * v[0], u[0] * v[0] + u[1] * v[1])


def signed_area(pts):
    return 0.5 * sum(pts[k - 1][0] * pts[k][1] - pts[k][0] * pts[k - 1][1] for k in range(len(pts)))


def offset(pts, corner, distance):
    """Moves every vertex `distance` to the left of the direction of travel, mitring the corners."""
    n = len(pts)
    out = []
    for k in range(n):
        a, b, c = pts[k - 1], pts[k], pts[(k + 1) % n]
        d1 = unit((b[0] - a[0], b[1] - a[1]))
        d2 = unit((c[0] - b[0], c[1] - b[1]))
        n1 = (d1[1], -d1[0])
        n2 = (d2[1], -d2[0])
        bis = unit((n1[0] + n2[0], n1[1] + n2[1]))
        cos_half = bis[0] * n1[0] + bis[1] * n1[1]
        miter = 1 / max(cos_half, 1e-6)
        convex = (d1[0] * d2[1] - d1[1] * d2[0]) * distance > 0
        if corner[k] and convex and miter > MITER_LIMIT:
            # The stroke bevels such a corner: both offset points.
            out.append((b[0] + n1[0] * distance, b[1] + n1[1] * distance))
            out.append((b[0] + n2[0] * distance, b[1] + n2[1] * distance))
        else:
            out.append((b[0] + bis[0] * distance * miter, b[1] + bis[1] * distance * miter))
    return out


def remove_spurs(pts):
    """Drops the vertices where the offset outline doubles back on itself: next to a concave corner
    the offset edges overshoot the corner's mitre point and return along the same line."""
    changed = True
    while changed:
        changed = False
        k = 0
        while k < len(pts) and len(pts) > 3:
            a, b, c = pts[k - 1], pts[k], pts[(k + 1) % len(pts)]
            u, v = (b[0] - a[0], b[1] - a[1]), (c[0] - b[0], c[1] - b[1])
            if math.hypot(*u) < 1e-9 or math.hypot(*v) < 1e-9 or \
                    abs(angle_between(u, v)) > math.radians(150):
                del pts[k]
                changed = True
            else:
                k += 1
    return pts


def remove_loops(pts, window=40):
    """Cuts out the small loops that offsetting makes where a concave corner is sharper than the
    offset is wide: where two nearby edges cross, the vertices between them are dropped."""
    changed = True
    while changed:
        changed = False
        n = len(pts)
        for i in range(n):
            a, b = pts[i], pts[(i + 1) % n]
            for step in range(2, min(window, n - 1)):
                j = (i + step) % n
                c, d = pts[j], pts[(j + 1) % n]
                hit = crossing(a, b, c, d)
                if hit is None:
                    continue
                if j > i:
                    pts = pts[:i + 1] + [hit] + pts[j + 1:]
                else:
                    pts = [hit] + pts[j + 1:i + 1]
                changed = True
                break
            if changed:
                break
    return pts


def crossing(a, b, c, d):
    r = (b[0] - a[0], b[1] - a[1])
    s = (d[0] - c[0], d[1] - c[1])
    denominator = r[0] * s[1] - r[1] * s[0]
    if abs(denominator) < 1e-12:
        return None
    t = ((c[0] - a[0]) * s[1] - (c[1] - a[1]) * s[0]) / denominator
    u = ((c[0] - a[0]) * r[1] - (c[1] - a[1]) * r[0]) / denominator
    if 0 < t < 1 and 0 < u < 1:
        return (a[0] + t * r[0], a[1] + t * r[1])
    return None


def unit(v):
    length = math.hypot(*v)
    return (v[0] / length, v[1] / length)


def simplify(pts):
    """Douglas-Peucker on the closed ring, anchored at the two vertices farthest apart."""
    far = max(range(len(pts)), key=lambda k: math.dist(pts[0], pts[k]))
    ring = pts[far:] + pts[:far]
    opposite = max(range(len(ring)), key=lambda k: math.dist(ring[0], ring[k]))
    first = dp(ring[:opposite + 1])
    second = dp(ring[opposite:] + [ring[0]])
    return first[:-1] + second[:-1]


def dp(pts):
    if len(pts) < 3:
        return pts
    a, b = pts[0], pts[-1]
    worst, index = 0.0, 0
    for k in range(1, len(pts) - 1):
        dist = segment_distance(pts[k], a, b)
        if dist > worst:
            worst, index = dist, k
    if worst <= TOLERANCE:
        return [a, b]
    return dp(pts[:index + 1])[:-1] + dp(pts[index:])


def segment_distance(p, a, b):
    dx, dy = b[0] - a[0], b[1] - a[1]
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((p[0] - a[0]) * dx + (p[1] - a[1]) * dy) / length2))
    return math.dist(p, (a[0] + t * dx, a[1] + t * dy))


def translation(element, parents):
    tx = ty = 0.0
    node = element
    while node is not None:
        for m in re.finditer(r'translate\(\s*(-?[\d.]+)[\s,]+(-?[\d.]+)\s*\)', node.get('transform', '')):
            tx += float(m.group(1))
            ty += float(m.group(2))
        node = parents.get(node)
    return tx, ty


def main(argv):
    if len(argv) < 3:
        sys.exit(__doc__)
    source = argv[1]
    name = source
    specs = argv[2:]
    clip = None
    while specs[0].startswith('--'):
        if specs[0] == '--name':
            name = specs[1]
        elif specs[0] == '--clip':
            clip = [int(v) for v in specs[1].split(',')]
        else:
            sys.exit(f'unknown option {specs[0]}')
        specs = specs[2:]
    tree = ET.parse(source)
    parents = {child: parent for parent in tree.iter() for child in parent}
    paths = {e.get('id'): e for e in tree.iter(SVG + 'path') if e.get('id')}
    print(f'# Outline of {name}, traced from its SVG source (outer edge of the stroked edge path;')
    print('# holes follow the inner edge of theirs). After changing the picture\'s edge, regenerate with')
    print(f'#   {" ".join(["trace_outline.py"] + argv[1:2] + [repr(a) if " " in a else a for a in argv[2:]])}')
    for spec in specs:
        mode, pid, distance = spec.split(':')
        element = paths[pid]
        pts, corner = parse_path(element.get('d'))
        tx, ty = translation(element, parents)
        pts = [(x + tx, y + ty) for x, y in pts]
        # With y pointing down, a clockwise ring (positive area) has its outside on the left.
        outward = float(distance) if signed_area(pts) > 0 else -float(distance)
        ring = remove_spurs(remove_loops(offset(pts, corner, outward)))
        ring = simplify(ring)
        vertices = []
        for x, y in ring:
            v = (round(x), round(y))
            if clip:
                v = (min(max(v[0], clip[0]), clip[2]), min(max(v[1], clip[1]), clip[3]))
            if not vertices or v != vertices[-1]:
                vertices.append(v)
        if vertices[0] == vertices[-1]:
            vertices.pop()
        print(f'\npolygon {mode}')
        print(f'# {pid}: {len(vertices)} vertices')
        for x, y in vertices:
            print(f'{x} {y}')


if __name__ == '__main__':
    main(sys.argv)
