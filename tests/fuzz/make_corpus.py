#!/usr/bin/env python3
"""Writes a few sound and a few damaged seed inputs per fuzz target into tests/fuzz/corpus/<target>/:
the default store and profile from karvoctl, the rest built from the record layouts.
Usage: tests/fuzz/make_corpus.py build/bin/karvoctl"""
import os, struct, subprocess, sys, tempfile

HEADER, PROFILE, MACRO, BUTTONS, BUTTON = 164884, 32976, 240, 2448, 1272

def put(data, offset, fmt, *values): struct.pack_into('<' + fmt, data, offset, *values)
def name_field(text, units): return text.encode('utf-16-le')[: (units - 1) * 2].ljust(units * 2, b'\0')
def actions_at(data, at, actions): [put(data, at + 4 * i, 'BBH', *action) for i, action in enumerate(actions)]
def steps(flags, *ops): return bytes([flags]) + b''.join(struct.pack('<BHH', *op) for op in ops)  # (op, word, word)

def macro(name, actions, count=None):  # a macro record: name, action count at 52, actions from 56
    data = bytearray(MACRO)
    data[0:48] = name_field(name, 24)
    put(data, 52, 'i', len(actions) if count is None else count)
    actions_at(data, 56, actions)
    return data

def bind_macro(profile, button, name, actions, count=None):  # function 17, loop count 1
    at = BUTTONS + BUTTON * button
    put(profile, at + 1, 'B', 17)
    profile[at + 16:at + 64] = name_field(name, 24)
    put(profile, at + 64, 'iH', 1, len(actions) if count is None else count)
    actions_at(profile, at + 1088, actions)

def write(target, seeds):
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    [open(os.path.join(folder, name), 'wb').write(bytes(data)) for name, data in seeds.items()]

def main():
    with tempfile.TemporaryDirectory() as tmp:
        subprocess.run([sys.argv[1], '--data-dir', tmp + '/', 'export-profile', '0', tmp + '/d.pro'],
                       check=True, stdout=subprocess.DEVNULL)
        store, default = open(tmp + '/ms_1/pro.data', 'rb').read(), bytearray(open(tmp + '/d.pro', 'rb').read())
    assert len(store) == HEADER + PROFILE and len(default) == PROFILE
    burst = [(4, 1, 2000), (4, 2, 10), (0xF1, 1, 1271), (0xF1, 2, 1)]
    bound, extreme, unterminated = bytearray(default), bytearray(default), bytearray(default)
    bind_macro(bound, 4, 'Burst', burst), bind_macro(bound, 11, 'Tail', [(5, 1, 1280), (5, 2, 1281)])
    put(extreme, 2244, '8i', 2**31 - 1, -2**31, -1, 0, 60, 61, 240, 241)
    put(extreme, 2340, '4i', -2**31, -2**31, 2**31 - 1, 2**31 - 1)
    put(extreme, 2364, 'i', 9), bind_macro(extreme, 0, 'Huge', burst, count=0xFFFF)
    unterminated[0:200] = 'X'.encode('utf-16-le') * 100
    two, bad_index, one = bytearray(store + bound), bytearray(store), macro('Burst', burst)
    put(two, 0, 'I', 1), put(bad_index, 0, 'I', 7)
    write('profile_store_fuzz', {'default.data': store, 'two_profiles.data': two, 'index_out_of_range.data': bad_index,
                                 'partial_record.data': store + default[:1000], 'header_only.data': store[:HEADER],
                                 'short_header.data': store[:4000]})
    write('macro_store_fuzz', {'one.data': one, 'two.data': one + macro('Long', [(7, 1, 65535)] * 46),
                               'partial_record.data': one + one[:100], 'count_out_of_range.data': macro('Bad', burst, 99) + one,
                               'unterminated_name.data': b'A\0' * 24 + one[48:]})
    write('profile_import_fuzz', {'default.pro': default, 'macros_bound.pro': bound, 'huge_action_count.pro': extreme,
                                  'unterminated_name.pro': unterminated, 'short.pro': default[:100],
                                  'trailing_bytes.pro': bound + b'\xff' * 16})
    write('macro_import_fuzz', {'burst.macro': one, 'full.macro': macro('Full', [(9, 1, 1300)] * 46),
                                'count_47.macro': macro('Over', burst, 47), 'count_negative.macro': macro('Under', burst, -1),
                                'unterminated_name.macro': b'A\0' * 24 + one[48:], 'short.macro': one[:100]})
    write('report_fuzz', {'default.pro': default, 'macros_bound.pro': bound, 'extreme_values.pro': extreme,
                          'all_ones.pro': b'\xff' * PROFILE})
    write('device_events_fuzz', {
        'cable_dpi_button.bin': steps(0x01, (0, 0, 3), (0, 0, 9), (6, 0, 0)),
        'receiver_status_watchdog.bin': steps(0x02, (0, 2, 0x0701), (0, 3, 5), (5, 0, 0), (0, 2, 0x0A00)),
        'receiver_arrival_removal.bin': steps(0x00, (3, 0, 0), (4, 0, 0), (0, 5, 2), (3, 1, 0), (6, 0, 0)),
        'crafted_stage_apply.bin': steps(0x03, (7 | 0x80, 588, 0x7FFF), (7, 586, 0xFFFF), (8, 0, 1), (6, 0, 0)),
        'ble_only.bin': steps(0x24 | 0x18, (0, 4, 3), (0, 1, 4), (6, 0, 0), (2, 3, 0x1003))})

if __name__ == '__main__': main()
