#!/usr/bin/perl
# ps-restream.pl FROM TO < in.mpg > out.mpg
#
# Renumbers one elementary stream of an MPEG program stream: every PES packet whose stream id is
# FROM gets the id TO, and so does its entry in the system headers. Ids below 0xBC are the
# substreams of private stream 1 (AC3 0x80.., LPCM 0xA0.., subpictures 0x20..): the first
# payload byte of each such packet is renumbered instead. Everything else is copied byte for
# byte. The packets are walked by their lengths, so payload bytes that happen to look like a
# start code are never touched.
#
# Why: ffmpeg's DVD muxer numbers each audio format from its own base (AC3 0x80, MPEG 0xC0), and
# a disc's audio stream number is the low three bits of the id, so an AC3 track and an MPEG track
# made by one ffmpeg run would both claim audio stream 0. Moving the MPEG track to 0xC1 makes it
# audio stream 1.
use strict;
use warnings;

die "usage: ps-restream.pl FROM TO < in > out\n" unless @ARGV == 2;
my ($from, $to) = map { /^0x/i ? hex($_) : $_ } @ARGV;
die "stream ids must be PES stream ids (0xBC..0xFF) or private substream ids (0x20..0xBB)\n"
    unless $from >= 0x20 && $from <= 0xFF && $to >= 0x20 && $to <= 0xFF;
my $substream = $from < 0xBC;
die "FROM and TO must both be PES ids or both substream ids\n" if $substream != ($to < 0xBC);

binmode STDIN;
binmode STDOUT;
my $data = do { local $/; <STDIN> };
die "no input\n" unless defined $data && length $data;
my $len = length $data;
my ($pos, $packets, $renamed) = (0, 0, 0);

while ($pos + 4 <= $len) {
    my ($b0, $b1, $b2, $id) = unpack('C4', substr($data, $pos, 4));
    die sprintf("no start code at offset %d\n", $pos) unless $b0 == 0 && $b1 == 0 && $b2 == 1;
    if ($id == 0xBA) {                       # pack header
        my $mark = ord(substr($data, $pos + 4, 1));
        if (($mark & 0xC0) == 0x40) {        # MPEG-2: 14 bytes and stuffing
            $pos += 14 + (ord(substr($data, $pos + 13, 1)) & 7);
        } else {                             # MPEG-1: 12 bytes
            $pos += 12;
        }
    } elsif ($id == 0xB9) {                  # program end
        $pos += 4;
    } elsif ($id == 0xBB) {                  # system header: 6 bytes of rates, then 3 per stream
        my $hlen = unpack('n', substr($data, $pos + 4, 2));
        for (my $e = $pos + 12; $e + 3 <= $pos + 6 + $hlen; $e += 3) {
            if (!$substream && ord(substr($data, $e, 1)) == $from) {
                substr($data, $e, 1) = chr($to);
            }
        }
        $pos += 6 + $hlen;
    } elsif ($id >= 0xBC) {                  # PES packet
        if (!$substream && $id == $from) {
            substr($data, $pos + 3, 1) = chr($to);
            $renamed++;
        } elsif ($substream && $id == 0xBD) {  # MPEG-2 PES header: its length in byte 8
            my $sub = $pos + 9 + ord(substr($data, $pos + 8, 1));
            if (ord(substr($data, $sub, 1)) == $from) {
                substr($data, $sub, 1) = chr($to);
                $renamed++;
            }
        }
        $pos += 6 + unpack('n', substr($data, $pos + 4, 2));
        $packets++;
    } else {
        die sprintf("unexpected start code 0x%02X at offset %d\n", $id, $pos);
    }
}
die sprintf("stream ends inside a packet (%d of %d bytes)\n", $pos, $len) if $pos != $len;
die sprintf("no packet of stream 0x%02X in %d packets\n", $from, $packets) unless $renamed;
print STDOUT $data;
printf STDERR "ps-restream: %d of %d packets moved from 0x%02X to 0x%02X\n",
    $renamed, $packets, $from, $to;
